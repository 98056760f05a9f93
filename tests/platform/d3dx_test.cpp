// The picture loaders over a headless software device, fed with pictures built here.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "d3dx8.h"
#include "platform/d3dx/picture.h"
#include "support/picture_files.h"

// AddressSanitizer's allocation hooks, where the build has them.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*)) __attribute__((weak));

namespace {

size_t largestAllocation = 0;
void NoteAllocation(const volatile void*, size_t size) { largestAllocation = std::max(largestAllocation, size); }
void NoteFree(const volatile void*) {}

// A 3 x 2 picture whose texels all differ, alpha included.
const std::vector<Rgba> kSmall = {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 0},
                                  {255, 255, 255, 255}, {10, 20, 30, 40}, {10, 20, 30, 40}};

uint32_t Argb(const Rgba& p, bool keepAlpha) {
  return (uint32_t(keepAlpha ? p.a : 255) << 24) | (uint32_t(p.r) << 16) | (uint32_t(p.g) << 8) | p.b;
}

class D3dxTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (texture) texture->Release();
  }

  HRESULT Load(const Bytes& file, UINT mipLevels, D3DFORMAT format, D3DXIMAGE_INFO* info = nullptr) {
    if (texture) texture->Release();
    texture = nullptr;
    return D3DXCreateTextureFromFileInMemoryEx(gpu.device, file.data(), static_cast<UINT>(file.size()), 0, 0,
        mipLevels, 0, format, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, info, nullptr, &texture);
  }

  D3DFORMAT TopFormat() {
    D3DSURFACE_DESC desc = {};
    texture->GetLevelDesc(0, &desc);
    return desc.Format;
  }

  HeadlessDevice gpu;
  IDirect3DTexture8* texture = nullptr;
};

TEST_F(D3dxTest, EveryTgaLayoutDecodesToTheSameTexelsTopRowFirst) {
  struct Case {
    TgaKind kind;
    bool rle;
    bool topLeft;
  };
  const Case cases[] = {{TgaKind::Color32, false, false}, {TgaKind::Color32, true, true},
                        {TgaKind::Color24, false, true}, {TgaKind::Color24, true, false},
                        {TgaKind::Grey, false, false}, {TgaKind::Grey, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "kind " << int(c.kind) << " rle " << c.rle << " topLeft " << c.topLeft);
    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(Load(EncodeTga(3, 2, kSmall, c.kind, c.rle, c.topLeft), 1, D3DFMT_UNKNOWN, &info), D3D_OK);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
    EXPECT_EQ(info.Width * 10 + info.Height, 32u);
    bool alpha = c.kind == TgaKind::Color32;
    EXPECT_EQ(TopFormat(), alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8);
    std::vector<uint32_t> texels = ReadTexels(texture);
    ASSERT_EQ(texels.size(), kSmall.size());
    for (size_t i = 0; i < kSmall.size(); ++i) {
      Rgba expected = kSmall[i];
      if (c.kind == TgaKind::Grey) expected.g = expected.b = expected.r;
      EXPECT_EQ(texels[i] | (alpha ? 0 : 0xFF000000u), Argb(expected, alpha)) << "texel " << i;
    }
  }
}

TEST_F(D3dxTest, JpegDecodesAndBrokenFilesGiveNoTexture) {
  std::vector<Rgba> halves(16 * 16);
  for (int i = 0; i < 256; ++i) halves[i] = (i % 16) < 8 ? Rgba{250, 10, 10, 255} : Rgba{10, 10, 250, 255};
  D3DXIMAGE_INFO info = {};
  Bytes jpeg = EncodeJpeg(16, 16, halves);
  ASSERT_EQ(Load(jpeg, 1, D3DFMT_UNKNOWN, &info), D3D_OK);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_JPG);
  EXPECT_EQ(TopFormat(), D3DFMT_X8R8G8B8);
  std::vector<uint32_t> texels = ReadTexels(texture);
  EXPECT_TRUE(ColourNear(texels[4 * 16 + 3], 0xFA0A0A, 8));
  EXPECT_TRUE(ColourNear(texels[12 * 16 + 12], 0x0A0AFA, 8));

  for (const Bytes& broken : {Bytes(jpeg.begin(), jpeg.begin() + 40), Bytes(300, 0x5A)}) {
    EXPECT_TRUE(FAILED(Load(broken, 1, D3DFMT_UNKNOWN)));
    EXPECT_EQ(texture, nullptr);
  }
}

// Made by hand: one 8 x 8 grey block, a single DC scan (AC coefficients never sent), DC 128
// with unit quantisation, so every sample is 128 + 128 / 8 = 144.
TEST_F(D3dxTest, ProgressiveJpegDecodes) {
  Bytes file = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
  file.insert(file.end(), 64, 1);
  Bytes rest = {0xFF, 0xC2, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00,
                0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x08,
                0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00,
                0x40, 0x7F, 0xFF, 0xD9};
  file.insert(file.end(), rest.begin(), rest.end());
  ASSERT_EQ(Load(file, 1, D3DFMT_UNKNOWN), D3D_OK);
  for (uint32_t texel : ReadTexels(texture)) EXPECT_TRUE(ColourNear(texel, 0x909090, 1));
}

// A Huffman table segment listing 17 codes of every length, 272 in all: more than any table
// holds. Placed before or after the frame header, the picture is refused without a read or a
// write outside the decoder's tables, on this platform's decoder and on the one the Windows
// build keeps.
Bytes OverlongHuffmanTable() {
  Bytes segment = {0xFF, 0xC4, 0x01, 0x23, 0x00};
  segment.insert(segment.end(), 16, 17);
  for (int i = 0; i < 272; ++i) segment.push_back(static_cast<unsigned char>(i));
  return segment;
}

TEST_F(D3dxTest, JpegWithAnOverlongHuffmanTableIsRefused) {
  Bytes good = EncodeJpeg(16, 16, SolidPixels(16, 16, 0x406080));
  Bytes early = {0xFF, 0xD8};
  Bytes table = OverlongHuffmanTable();
  early.insert(early.end(), table.begin(), table.end());
  early.insert(early.end(), good.begin() + 2, good.end());
  Bytes late = good;
  late.insert(late.end() - 2, table.begin(), table.end());
  // stb_image reads a JPEG after fill bytes too, whatever decoder the rest goes to.
  Bytes filled = {0xFF, 0xFF};
  filled.insert(filled.end(), early.begin() + 1, early.end());
  for (const Bytes& file : {early, late, filled}) {
    EXPECT_TRUE(FAILED(Load(file, 1, D3DFMT_UNKNOWN)));
    Picture picture;
    EXPECT_FALSE(DecodeJpegWithStb(file.data(), static_cast<UINT>(file.size()), &picture));
  }
  Picture picture;
  ASSERT_TRUE(DecodeJpegWithStb(good.data(), static_cast<UINT>(good.size()), &picture));
  EXPECT_TRUE(ColourNear(picture.argb[17], 0x406080, 6));
}

TEST_F(D3dxTest, JpegScansNamingUndefinedTablesAreRefused) {
  // A progressive file whose third scan names an AC table no segment defined: stb_image read it
  // from uninitialised memory and indexed out of bounds.
  const Bytes undefinedTable = {
      0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01,
      0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x00, 0x06, 0x3F,
      0x02, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E,
      0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E,
      0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x10, 0x10, 0x10, 0x10,
      0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
      0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0xFF, 0xC2, 0x00, 0x11, 0x08, 0x00, 0x0C, 0x00, 0x10,
      0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xC4, 0x00, 0x16, 0x00, 0x01,
      0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x06, 0x07, 0xFF, 0xC4, 0x00, 0x17, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x04, 0x08, 0xFF, 0xDA, 0x00, 0x0C, 0x03,
      0x01, 0x00, 0x02, 0x10, 0x03, 0x10, 0x00, 0x00, 0x01, 0xC9, 0xB7, 0xDA, 0xC4, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x02, 0x01,
      0x01, 0x3F, 0x10, 0x01, 0xFF, 0x00, 0x3A, 0xFF, 0xC4, 0x00, 0x09, 0x0A, 0x08, 0x06, 0x05, 0x0A,
      0x09, 0x88, 0x09, 0x09, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x3F, 0x10, 0x55, 0x15,
      0x74, 0x0F, 0xFF, 0xD9};
  EXPECT_TRUE(FAILED(Load(undefinedTable, 1, D3DFMT_UNKNOWN)));
  Picture picture;
  EXPECT_FALSE(DecodeJpegWithStb(undefinedTable.data(), static_cast<UINT>(undefinedTable.size()), &picture));
  // Its last scan header cut off by the end of the file: stb_image reads the missing bytes as
  // zeros and decodes the scan all the same.
  const Bytes cutShort = {
      0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
      0x10, 0x10, 0x10, 0x10, 0x10, 0xF0, 0xEF, 0xEF, 0xF8, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
      0x10, 0x10, 0xFF, 0xC2, 0x00, 0x11, 0x08, 0x00, 0x0C, 0x00, 0x10, 0x03, 0x01, 0x11, 0x00, 0x02,
      0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xC4, 0x00, 0x16, 0x00, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x07, 0xFF, 0xC4, 0x00,
      0x17, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x07, 0x04, 0x08, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x10, 0x03,
      0x10, 0x00, 0x00, 0x01, 0xC9, 0xB7, 0xDA, 0xC4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x59, 0x02, 0x5D, 0x14, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x05};
  EXPECT_FALSE(ScansUseDefinedTables(cutShort.data(), static_cast<UINT>(cutShort.size())));
  EXPECT_FALSE(DecodeJpegWithStb(cutShort.data(), static_cast<UINT>(cutShort.size()), &picture));
  Bytes good = EncodeJpeg(16, 16, SolidPixels(16, 16, 0x406080));
  EXPECT_TRUE(ScansUseDefinedTables(good.data(), static_cast<UINT>(good.size())));
  ASSERT_TRUE(DecodeJpegWithStb(good.data(), static_cast<UINT>(good.size()), &picture));
  EXPECT_TRUE(ColourNear(picture.argb[17], 0x406080, 6));
}

// The declared size of a JPEG's frame, patched into a real file.
Bytes WithFrameSize(Bytes jpeg, int width, int height) {
  for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<unsigned char>(height >> 8);
      jpeg[i + 6] = static_cast<unsigned char>(height);
      jpeg[i + 7] = static_cast<unsigned char>(width >> 8);
      jpeg[i + 8] = static_cast<unsigned char>(width);
      break;
    }
  }
  return jpeg;
}

// Files declaring more texels than any device texture holds must not make them, whether their
// data could fill them (run-length packets) or not.
TEST_F(D3dxTest, PicturesLargerThanTheLargestTextureAreRefusedBeforeDecoding) {
  Bytes jpeg = EncodeJpeg(8, 8, SolidPixels(8, 8, 0x808080));
  Bytes tga = EncodeTga(2, 2, SolidPixels(2, 2, 0x808080));
  auto tgaOf = [&](int width, int height) {
    Bytes file = tga;
    file[12] = static_cast<unsigned char>(width);
    file[13] = static_cast<unsigned char>(width >> 8);
    file[14] = static_cast<unsigned char>(height);
    file[15] = static_cast<unsigned char>(height >> 8);
    return file;
  };
  for (const Bytes& file : {RunLengthTga(8192, 4096), tgaOf(65535, 65535), tgaOf(4097, 4096),
                            WithFrameSize(jpeg, 65535, 65535), WithFrameSize(jpeg, 4096, 4097)}) {
    EXPECT_TRUE(FAILED(Load(file, 1, D3DFMT_UNKNOWN)));
    EXPECT_EQ(texture, nullptr);
    Picture picture;
    EXPECT_FALSE(DecodePicture(file.data(), static_cast<UINT>(file.size()), &picture));
    EXPECT_TRUE(picture.argb.empty());
  }
  EXPECT_EQ(Load(RunLengthTga(4096, 1), 1, D3DFMT_UNKNOWN), D3D_OK);
  EXPECT_EQ(Load(WithFrameSize(jpeg, 16, 8), 1, D3DFMT_UNKNOWN), D3D_OK);
}

// Cut short, a TGA would be completed from nothing: zeros for runs, unwritten memory for raw rows.
TEST_F(D3dxTest, TgaFilesShorterThanTheirTexelsAreRefused) {
  Bytes raw = EncodeTga(40, 30, SolidPixels(40, 30, 0x204060));
  ASSERT_EQ(Load(raw, 1, D3DFMT_UNKNOWN), D3D_OK);
  raw.resize(raw.size() - 3);
  EXPECT_TRUE(FAILED(Load(raw, 1, D3DFMT_UNKNOWN)));
  // Runs of 128 texels in four bytes each are as short as a whole picture can be.
  Bytes runs = RunLengthTga(256, 256);
  ASSERT_EQ(Load(runs, 1, D3DFMT_UNKNOWN), D3D_OK);
  runs.resize(runs.size() - 4);
  EXPECT_TRUE(FAILED(Load(runs, 1, D3DFMT_UNKNOWN)));
}

// A PNG whose data chunk claims a gigabyte it does not hold: refused without allocating it.
// One whose first data chunk is empty: refused before stb_image copies it nowhere.
TEST_F(D3dxTest, PngChunksLongerThanTheFileAreRefusedBeforeTheirBufferIsMade) {
  Bytes png;
  stbi_write_png_to_func(AppendBytes, &png, 2, 2, 4, SolidPixels(2, 2, 0x123456).data(), 8);
  ASSERT_EQ(Load(png, 1, D3DFMT_UNKNOWN), D3D_OK);
  size_t idat = 8;
  while (std::memcmp(&png[idat + 4], "IDAT", 4) != 0) idat += 12 + (png[idat + 2] << 8 | png[idat + 3]);
  Bytes bomb = png;
  bomb[idat] = 0x40;  // 1 GB and a little
  if (__sanitizer_install_malloc_and_free_hooks) __sanitizer_install_malloc_and_free_hooks(NoteAllocation, NoteFree);
  largestAllocation = 0;
  EXPECT_TRUE(FAILED(Load(bomb, 1, D3DFMT_UNKNOWN)));
  EXPECT_LT(largestAllocation, size_t(1) << 20);
  // A chunk running past the end with nothing after it; an empty data chunk before the first.
  Bytes cut(png.begin(), png.begin() + static_cast<long>(idat) + 10);
  EXPECT_TRUE(FAILED(Load(cut, 1, D3DFMT_UNKNOWN)));
  Bytes empty = png;
  const Bytes emptyChunk = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E};
  empty.insert(empty.begin() + static_cast<long>(idat), emptyChunk.begin(), emptyChunk.end());
  EXPECT_TRUE(FAILED(Load(empty, 1, D3DFMT_UNKNOWN)));
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Solid 0xC04020, written as CMYK (inverted inks, as Adobe writes them) and as grey: this
// platform's decoder and the Windows build's agree on them.
TEST_F(D3dxTest, CmykAndGreyJpegsDecodeAlikeOnBothDecoders) {
  const std::string folder = VG_TEST_SOURCE_DIR "/platform/data/";
  const struct {
    const char* name;
    uint32_t rgb;
    D3DFORMAT fileFormat;
  } cases[] = {{"cmyk.jpg", 0xC04020, D3DFMT_R8G8B8}, {"grey.jpg", 0x5B5B5B, D3DFMT_L8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = ReadBytes(folder + c.name);
    Picture ours, windows;
    ASSERT_TRUE(DecodePicture(file.data(), static_cast<UINT>(file.size()), &ours));
    ASSERT_TRUE(DecodeJpegWithStb(file.data(), static_cast<UINT>(file.size()), &windows));
    EXPECT_EQ(ours.fileFormat, c.fileFormat);
    EXPECT_EQ(windows.fileFormat, c.fileFormat);
    ASSERT_EQ(ours.argb.size(), 64u);
    ASSERT_EQ(windows.argb.size(), 64u);
    EXPECT_TRUE(ColourNear(ours.argb[27], c.rgb, 8)) << std::hex << ours.argb[27];
    EXPECT_TRUE(ColourNear(windows.argb[27], ours.argb[27], 3)) << std::hex << windows.argb[27];
    EXPECT_EQ(ours.argb[27] >> 24, 0xFFu);
  }
}

TEST_F(D3dxTest, MipChainsAreBoxFilteredAndSizedByTheRequest) {
  // 4 x 2: the left 2 x 2 block black and white checks, the right one solid red.
  std::vector<Rgba> picture = {{0, 0, 0, 255}, {255, 255, 255, 255}, {200, 0, 0, 255}, {200, 0, 0, 255},
                               {255, 255, 255, 255}, {0, 0, 0, 255}, {200, 0, 0, 255}, {200, 0, 0, 255}};
  Bytes file = EncodeTga(4, 2, picture);
  ASSERT_EQ(Load(file, D3DX_DEFAULT, D3DFMT_UNKNOWN), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 3u);
  std::vector<uint32_t> level1 = ReadTexels(texture, 1);
  ASSERT_EQ(level1.size(), 2u);
  EXPECT_TRUE(ColourNear(level1[0], 0x808080, 1));
  EXPECT_TRUE(ColourNear(level1[1], 0xC80000, 0));
  EXPECT_TRUE(ColourNear(ReadTexels(texture, 2)[0], 0xA44040, 1));

  const UINT requests[][2] = {{0, 3}, {2, 2}, {9, 3}};
  for (const auto& r : requests) {
    ASSERT_EQ(Load(file, r[0], D3DFMT_UNKNOWN), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), r[1]) << r[0];
  }
}

TEST_F(D3dxTest, RequestedFormatsReceiveConvertedTexels) {
  ASSERT_EQ(Load(EncodeTga(3, 2, kSmall, TgaKind::Color32), 1, D3DFMT_R5G6B5), D3D_OK);
  ASSERT_EQ(TopFormat(), D3DFMT_R5G6B5);
  EXPECT_EQ(ReadTexels(texture), (std::vector<uint32_t>{0xF800, 0x07E0, 0x001F, 0xFFFF, 0x08A3, 0x08A3}));
  ASSERT_EQ(Load(EncodeTga(3, 2, kSmall), 1, D3DFMT_A8R8G8B8), D3D_OK);
  EXPECT_EQ(ReadTexels(texture)[4], 0xFF0A141Eu);  // a picture without alpha is opaque
}

TEST_F(D3dxTest, SurfaceLoadCopiesIntoTheRectangleOnlyAndRejectsRectanglesOutside) {
  ASSERT_EQ(gpu.device->CreateTexture(8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 4; ++y) std::memset(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, 0x44, 8 * 4);
  texture->UnlockRect(0);
  IDirect3DSurface8* surface = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);

  // The picture is 3 x 2, the rectangle 4 x 3: unscaled, the uncovered part turns transparent black.
  Bytes file = EncodeTga(3, 2, kSmall, TgaKind::Color32, true);
  RECT target = {1, 1, 5, 4};
  EXPECT_EQ(D3DXLoadSurfaceFromFileInMemory(surface, nullptr, &target, file.data(), static_cast<UINT>(file.size()),
                                            nullptr, D3DX_FILTER_NONE, 0, nullptr), D3D_OK);
  std::vector<uint32_t> texels = ReadTexels(texture);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) {
      int px = x - 1, py = y - 1;
      bool inRect = x >= 1 && x < 5 && y >= 1 && y < 4;
      uint32_t expected = !inRect ? 0x44444444u : (px < 3 && py < 2) ? Argb(kSmall[py * 3 + px], true) : 0;
      EXPECT_EQ(texels[y * 8 + x], expected) << x << "," << y;
    }
  }

  RECT outside = {4, 0, 9, 2};
  EXPECT_EQ(D3DXLoadSurfaceFromFileInMemory(surface, nullptr, &outside, file.data(), static_cast<UINT>(file.size()),
                                            nullptr, D3DX_FILTER_NONE, 0, nullptr), D3DERR_INVALIDCALL);
  surface->Release();
}

}  // namespace
