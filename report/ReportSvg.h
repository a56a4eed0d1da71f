// The line report's markup: text escaped for HTML, numbers as the page
// prints them, and charts as inline SVG drawn here, nothing fetched.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talven {

std::string Escaped(std::string_view text);
// "12.3"; "-" for a negative value, which stands for none.
std::string Fixed(double value, int decimals);

// One chart; coordinates in its own units, scaled to the page's width.
class Svg {
public:
    Svg(double width, double height, std::string_view label);
    void Rect(double x, double y, double width, double height, std::string_view fill, std::string_view tip = {});
    void Line(double x1, double y1, double x2, double y2, std::string_view stroke, double strokeWidth = 1);
    // `anchor`: "start", "middle" or "end".
    void Text(double x, double y, std::string_view text, std::string_view anchor = "start", double size = 11,
              std::string_view fill = "#222");
    void Polyline(const std::vector<std::pair<double, double>>& points, std::string_view stroke);
    void Polygon(const std::vector<std::pair<double, double>>& points, std::string_view fill);
    std::string Done();

private:
    std::string markup;
};

}  // namespace talven
