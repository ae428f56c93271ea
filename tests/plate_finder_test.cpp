// Finding plates in photos before reading them: the sheet holds no more plates than it has room
// for and maps nothing outside them, and textures, empty photos and plates cut by the edge give
// nothing outside the picture. Reading a found plate is tested through the reader.

#include "finder/plate_finder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "finder/found_plate_reading.h"
#include "finder/plate_sheet.h"
#include "tools/plate_renderer/photo_scene.h"

namespace plate {
namespace {

constexpr int kPhotoWidth = 2048, kPhotoHeight = 1536;

tools::PhotoScene photo_with(std::vector<tools::TurnedPlate> plates,
                             std::vector<tools::TexturePatch> textures = {}) {
  tools::PhotoScene scene;
  scene.width = kPhotoWidth;
  scene.height = kPhotoHeight;
  scene.background = {tools::BackgroundKind::uniform, {70, 70, 75}, {}, 0};
  scene.textures = std::move(textures);
  scene.plates = std::move(plates);
  scene.blur_sigma_px = 0.7;
  scene.noise_sigma = 3;
  return scene;
}

DecodedPicture decoded(const tools::PhotoScene& scene) {
  const tools::RgbCanvas canvas = tools::render_photo(scene, tools::load_plate_fonts());
  DecodedPicture picture{canvas.width(), canvas.height(), canvas.width(), canvas.height(), {}};
  for (int row = 0; row < canvas.height(); ++row)
    for (int column = 0; column < canvas.width(); ++column) {
      const tools::Rgb& pixel = canvas.at_unchecked(column, row);
      picture.bgr.insert(picture.bgr.end(), {pixel.blue, pixel.green, pixel.red});
    }
  return picture;
}

struct Found {
  std::unique_ptr<Plane> frame = std::make_unique<Plane>();
  FrameMapping mapping;
  std::vector<FoundPlate> plates;
};

Found find_in(const DecodedPicture& picture) {
  Found found;
  found.mapping = fit_into_frame(picture, *found.frame);
  found.plates = find_plates(*found.frame, found.mapping);
  return found;
}

bool within_picture(const SourceQuad& quad) {
  for (const SourcePoint& p : quad)
    if (p.x < 0 || p.x > kPhotoWidth || p.y < 0 || p.y > kPhotoHeight) return false;
  return true;
}

TEST(PlateSheet, MapsNothingOutsideItsSlotsAndLaysOutNoMoreThanItsCapacity) {
  const SheetLayout layout;
  const std::size_t capacity = PlateSheet::capacity(layout);
  EXPECT_EQ(capacity, 12u);  // 3 columns of 300 px plates, 4 rows
  const DecodedPicture picture{400, 300, 400, 300, std::vector<std::uint8_t>(400 * 300 * 3, 200)};
  const FoundPlate plate{{{{100, 100}, {300, 100}, {300, 200}, {100, 200}}}, 1.0};
  const std::vector<FoundPlate> plates(capacity + 3, plate);
  auto frame = std::make_unique<Plane>();
  const PlateSheet sheet(picture, plates, *frame, layout);
  EXPECT_EQ(sheet.slots().size(), capacity);
  // The black corner below the grid, and a box of the first slot, which shows the plate.
  EXPECT_FALSE(sheet.to_source({1000, 1010, 0, 10}).has_value());
  const SheetSlot& first = sheet.slots().front();
  const int plane_top = kFrameHeight - 1 - first.top;
  const auto whole =
      sheet.to_source({first.left, first.left + first.width - 1, plane_top - first.height + 1, plane_top});
  ASSERT_TRUE(whole.has_value());
  // The slot shows the plate and the margin of its own sides around it, no more.
  EXPECT_NEAR((*whole)[0].x, 100 - 200 * layout.margin, 0.5);
  EXPECT_NEAR((*whole)[2].y, 200 + 100 * layout.margin, 0.5);
}

// Textures that read as plates (a grating, grille bars, a badge) and light clutter hold no plate
// shape, and a frame without a picture in it gives nothing.
TEST(PlateFinder, FindsNothingInTexturesClutterOrAnEmptyFrame) {
  tools::PhotoScene textures = photo_with({}), clutter = photo_with({});
  textures.textures = {
      {tools::TextureKind::grating, 200, 200, 420, 200, 28, {200, 200, 200}, {30, 30, 30}},
      {tools::TextureKind::grille, 900, 300, 500, 220, 30, {190, 190, 190}, {20, 20, 20}},
      {tools::TextureKind::badge, 1200, 900, 360, 180, 20, {220, 220, 220}, {25, 25, 25}},
  };
  clutter.background = {tools::BackgroundKind::clutter, {210, 210, 210}, {40, 40, 40}, 48};
  for (const tools::PhotoScene& scene : {textures, clutter})
    EXPECT_TRUE(find_in(decoded(scene)).plates.empty());
  auto frame = std::make_unique<Plane>();
  frame->fill(255);
  EXPECT_TRUE(find_plates(*frame, FrameMapping{{1, 1}, {1, 1}}).empty());
  EXPECT_TRUE(find_plates(*frame, FrameMapping{}).empty());
}

// Half the plate hangs over the photo's left edge: whatever is found, and whatever the sheet maps
// back, lies within the picture.
TEST(PlateFinder, KeepsAPlateCutByThePictureEdgeWithinThePicture) {
  tools::TurnedPlate plate;
  plate.lettering.serial = "5126";
  plate.centre_x = 40;
  plate.centre_y = 700;
  plate.width_px = 400;
  plate.pitch_deg = 10;
  const DecodedPicture picture = decoded(photo_with({plate}));
  const Found found = find_in(picture);
  for (const FoundPlate& f : found.plates) EXPECT_TRUE(within_picture(f.quad));
  auto sheet_frame = std::make_unique<Plane>();
  const PlateSheet sheet(picture, found.plates, *sheet_frame);
  for (const SheetSlot& slot : sheet.slots()) {
    const int plane_top = kFrameHeight - 1 - slot.top;
    const auto quad =
        sheet.to_source({slot.left, slot.left + slot.width - 1, plane_top - slot.height + 1, plane_top});
    ASSERT_TRUE(quad.has_value());
    EXPECT_TRUE(within_picture(*quad));
  }
}

// Serial places centred at 0.300, 0.457, 0.686 and 0.846 of a slot with a 3 % margin.
TEST(SerialPlaces, ADigitReadOffItsOwnPlaceMakesNoSerial) {
  const std::vector<std::vector<double>> serials = {
      {0.295, 0.455, 0.688, 0.850}, {0.46, 0.69, 0.85}, {0.69, 0.85}, {0.85}, {0.70, 0.95}};
  const std::vector<std::vector<double>> not_serials = {
      {0.848, 0.982},      // the first digit on the last place, the second beyond it
      {0.30, 0.46},        // two digits on the first places: a serial is right-aligned
      {0.46, 0.55, 0.85},  // the middle digit nearer the second place than the third
      {},
      {0.2, 0.3, 0.5, 0.7, 0.85}};
  for (const std::vector<double>& centres : serials) EXPECT_TRUE(digits_on_serial_places(centres, 0.03));
  for (const std::vector<double>& centres : not_serials) EXPECT_FALSE(digits_on_serial_places(centres, 0.03));
}

TEST(SerialPlaces, ASerialNeverBeginsWithZero) {
  const std::string dot = "\xA5";  // a middle dot
  for (const std::string& text : {std::string("12-34"), dot + dot + "10", dot + "101", std::string("10-00")})
    EXPECT_TRUE(has_serial_digits(text)) << text;
  for (const std::string& text : {std::string("02-19"), dot + "015", dot + dot + dot + "0", std::string()})
    EXPECT_FALSE(has_serial_digits(text)) << text;
}

}  // namespace
}  // namespace plate
