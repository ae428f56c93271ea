// The search, on the fitted picture turned grey:
//   1. at each light level, the picture is cut into light and dark; each light region's outer
//      contour and its dark holes come from one contour pass (outer contours with their holes);
//   2. a region is a plate when its convex hull comes down to four corners under polygon
//      approximation, it fills that quadrilateral (plates are solid; ovals and blobs are not), the
//      quadrilateral has a plate's proportions as a turn of up to 45 degrees shows them and lies
//      no more than 25 degrees off level, and it holds at least two dark marks of a digit's or a
//      character's height but not the many holes of a grating;
//   3. the finds of all levels are pooled, and at each place the quadrilateral its region fills
//      best is kept.

#include "finder/plate_finder.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace plate {

namespace {

double distance(const cv::Point2f& a, const cv::Point2f& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// The hull's four corners, ordered top left, top right, bottom right, bottom left; nothing when
// no approximation gives four.
std::optional<std::array<cv::Point2f, 4>> four_corners(const std::vector<cv::Point>& hull) {
  const double perimeter = cv::arcLength(hull, true);
  std::vector<cv::Point> corners;
  for (const double share : {0.02, 0.03, 0.04, 0.06, 0.08}) {
    cv::approxPolyDP(hull, corners, share * perimeter, true);
    if (corners.size() <= 4) break;
  }
  if (corners.size() != 4) return std::nullopt;
  std::array<cv::Point2f, 4> ordered;
  // Top left has the least x + y, bottom right the most; top right the most x - y.
  const auto by = [&](auto key) {
    return cv::Point2f(
        *std::max_element(corners.begin(), corners.end(),
                          [&](const cv::Point& a, const cv::Point& b) { return key(a) < key(b); }));
  };
  ordered[0] = by([](const cv::Point& p) { return -(p.x + p.y); });
  ordered[1] = by([](const cv::Point& p) { return p.x - p.y; });
  ordered[2] = by([](const cv::Point& p) { return p.x + p.y; });
  ordered[3] = by([](const cv::Point& p) { return p.y - p.x; });
  return ordered;
}

struct Candidate {
  std::array<cv::Point2f, 4> corners;  // fitted pixels, rows top-down
  double fill = 0.0;
  double area = 0.0;
  cv::Rect bounds;
};

// Whether the region (outer contour `outer`, holes `holes`) is a plate; if so, its quadrilateral.
std::optional<Candidate> as_plate(const std::vector<cv::Point>& outer,
                                  const std::vector<const std::vector<cv::Point>*>& holes,
                                  const FinderSettings& settings) {
  const double area = cv::contourArea(outer);
  if (area < settings.smallest_area) return std::nullopt;
  if (int(holes.size()) > settings.most_holes) return std::nullopt;
  std::vector<cv::Point> hull;
  cv::convexHull(outer, hull);
  const auto corners = four_corners(hull);
  if (!corners) return std::nullopt;
  const auto& c = *corners;
  const double quad_area = cv::contourArea(std::vector<cv::Point2f>(c.begin(), c.end()));
  if (quad_area <= 0.0) return std::nullopt;
  const double fill = area / quad_area;
  if (fill < settings.least_fill || fill > settings.most_fill) return std::nullopt;
  const double width = (distance(c[0], c[1]) + distance(c[3], c[2])) / 2;
  const double height = (distance(c[0], c[3]) + distance(c[1], c[2])) / 2;
  if (height <= 0.0 || width < settings.narrowest_proportion * height ||
      width > settings.widest_proportion * height)
    return std::nullopt;
  constexpr double kMostTilt = 0.47;  // tan 25 degrees
  const double top_rise = std::abs(c[1].y - c[0].y), bottom_rise = std::abs(c[2].y - c[3].y);
  if (top_rise > kMostTilt * (c[1].x - c[0].x) || bottom_rise > kMostTilt * (c[2].x - c[3].x))
    return std::nullopt;
  // Serial digits are half the plate's height, the upper row's characters a quarter of it.
  int marks = 0;
  for (const std::vector<cv::Point>* hole : holes) {
    const cv::Rect box = cv::boundingRect(*hole);
    if (box.height >= 0.15 * height && box.height <= 0.65 * height && box.width <= 0.4 * width) ++marks;
  }
  if (marks < settings.fewest_marks) return std::nullopt;
  return Candidate{c, fill, area, cv::boundingRect(outer)};
}

bool same_place(const cv::Rect& a, const cv::Rect& b) {
  const double common = (a & b).area();
  return 2 * common >= std::min(a.area(), b.area());
}

// Adds the plates among the light regions of `light` (a mask of 0 and 255) to `found`.
void gather_plates(const cv::Mat& light, const FinderSettings& settings, std::vector<Candidate>& found) {
  std::vector<std::vector<cv::Point>> contours;
  std::vector<cv::Vec4i> hierarchy;
  cv::findContours(light, contours, hierarchy, cv::RETR_CCOMP, cv::CHAIN_APPROX_SIMPLE);
  for (std::size_t i = 0; i < contours.size(); ++i) {
    if (hierarchy[i][3] >= 0) continue;  // a hole; it is seen with its region
    std::vector<const std::vector<cv::Point>*> holes;
    for (int h = hierarchy[i][2]; h >= 0; h = hierarchy[std::size_t(h)][0])
      holes.push_back(&contours[std::size_t(h)]);
    const auto candidate = as_plate(contours[i], holes, settings);
    if (!candidate) continue;
    const auto same = std::find_if(found.begin(), found.end(), [&](const Candidate& c) {
      return same_place(c.bounds, candidate->bounds);
    });
    if (same == found.end())
      found.push_back(*candidate);
    else if (std::abs(candidate->fill - 1.0) < std::abs(same->fill - 1.0))
      *same = *candidate;
  }
}

}  // namespace

std::vector<FoundPlate> find_plates(const Plane& frame, const FrameMapping& mapping,
                                    const FinderSettings& settings) {
  const int width = mapping.fitted.width, height = mapping.fitted.height;
  if (width < 8 || height < 8 || mapping.source.width <= 0 || mapping.source.height <= 0) return {};
  // The plane holds the picture upside down (its top row on the plane's last row).
  const cv::Mat plane(kFrameHeight, kFrameWidth, CV_8UC3, const_cast<std::uint8_t*>(frame.bytes.data()),
                      kRowStride);
  cv::Mat picture;
  cv::flip(plane(cv::Rect(0, kFrameHeight - height, width, height)), picture, 0);
  cv::Mat grey, light;
  cv::cvtColor(picture, grey, cv::COLOR_BGR2GRAY);

  std::vector<Candidate> found;
  for (const int level : settings.light_levels) {
    cv::threshold(grey, light, level, 255, cv::THRESH_BINARY);
    gather_plates(light, settings, found);
  }
  // Yellow: red and green well above blue, which parts a kei plate from grey surroundings as
  // light as itself.
  cv::Mat channels[3], red_green;
  cv::split(picture, channels);
  cv::min(channels[1], channels[2], red_green);
  cv::subtract(red_green, channels[0], light);
  cv::threshold(light, light, settings.yellow_margin, 255, cv::THRESH_BINARY);
  gather_plates(light, settings, found);

  std::sort(found.begin(), found.end(),
            [](const Candidate& a, const Candidate& b) { return a.area > b.area; });
  if (found.size() > settings.most_plates) found.resize(settings.most_plates);

  const double x_scale = double(mapping.source.width) / width;
  const double y_scale = double(mapping.source.height) / height;
  std::vector<FoundPlate> plates;
  for (const Candidate& candidate : found) {
    FoundPlate plate{{}, candidate.fill};
    for (std::size_t k = 0; k < 4; ++k) {
      // A contour runs through pixel centres; the region reaches half a pixel beyond.
      const double x = std::clamp(double(candidate.corners[k].x) + 0.5, 0.0, double(width));
      const double y = std::clamp(double(candidate.corners[k].y) + 0.5, 0.0, double(height));
      plate.quad[k] = {x * x_scale, y * y_scale};
    }
    plates.push_back(plate);
  }
  return plates;
}

}  // namespace plate
