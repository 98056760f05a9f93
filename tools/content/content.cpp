#include "content.h"

#include "foliage.h"
#include "props.h"
#include "scenes.h"

const Picture* FindPicture(const Content& content, const std::string& entry) {
  for (const Picture& picture : content.pictures)
    if (picture.entry == entry) return &picture;
  return nullptr;
}

namespace {

// The saver wraps texture coordinates and filters, so a quad's first row of pixels blends
// the picture's top rows with its bottom rows (and likewise across): reeds or a boulder whose
// foot is opaque would draw a faint dashed line along their top edge. A clear border stops
// it; two texels wide, because a quad's edge pixels may sample up to a texel beyond it.
void ClearBorder(Image& image) {
  const int border = 2;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (x < border || y < border || x >= image.width - border || y >= image.height - border) image.At(x, y)[3] = 0;
}

}  // namespace

void AddPicture(Content& content, const std::string& entry, const std::string& file, PictureFormat format,
                Image image) {
  if (format != PictureFormat::Jpeg) ClearBorder(image);
  content.pictures.push_back({entry, file, format, std::move(image)});
}

void Place(Scene& scene, const std::string& entry, float left, float top, float right, float bottom) {
  PlacementRecord p;
  p.entry = entry;
  // Bottom-left corner first: the engine scales and scrolls layers by the signed differences,
  // so this order makes flow run down and drift run the same way in every scene.
  p.x0 = FrameX(left);
  p.y0 = FrameY(bottom);
  p.x1 = FrameX(right);
  p.y1 = FrameY(top);
  scene.placements.push_back(p);
}

Content BuildContent() {
  Content content;
  AddFoliagePictures(content);
  AddPropPictures(content);
  AddScenes(content);
  return content;
}
