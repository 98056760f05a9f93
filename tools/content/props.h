// Standalone pictures the scenes place over their backgrounds: reeds, trees, rocks, the moon,
// birds; and the pictures that are loaded but not placed (the models' rock, "podsvet.jpg").
#pragma once
struct Content;
void AddPropPictures(Content& content);
