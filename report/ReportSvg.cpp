#include "report/ReportSvg.h"

#include <cstdio>

namespace talven {

namespace {

std::string Coordinate(double value) { return Fixed(value, 1); }

std::string Points(const std::vector<std::pair<double, double>>& points) {
    std::string text;
    for (const auto& [x, y] : points) text += (text.empty() ? "" : " ") + Coordinate(x) + "," + Coordinate(y);
    return text;
}

}  // namespace

std::string Escaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string Fixed(double value, int decimals) {
    if (value < 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

Svg::Svg(double width, double height, std::string_view label) {
    markup = "<svg xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" viewBox=\"0 0 " + Coordinate(width) + " " +
             Coordinate(height) + "\" style=\"max-width:" + Coordinate(width) + "px\" aria-label=\"" +
             Escaped(label) + "\">";
}

void Svg::Rect(double x, double y, double width, double height, std::string_view fill, std::string_view tip) {
    markup += "<rect x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" width=\"" + Coordinate(width) +
              "\" height=\"" + Coordinate(height) + "\" fill=\"" + std::string(fill) + "\"";
    markup += tip.empty() ? "/>" : "><title>" + Escaped(tip) + "</title></rect>";
}

void Svg::Line(double x1, double y1, double x2, double y2, std::string_view stroke, double strokeWidth) {
    markup += "<line x1=\"" + Coordinate(x1) + "\" y1=\"" + Coordinate(y1) + "\" x2=\"" + Coordinate(x2) +
              "\" y2=\"" + Coordinate(y2) + "\" stroke=\"" + std::string(stroke) + "\" stroke-width=\"" +
              Fixed(strokeWidth, 1) + "\"/>";
}

void Svg::Text(double x, double y, std::string_view text, std::string_view anchor, double size,
               std::string_view fill) {
    markup += "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" font-size=\"" + Fixed(size, 0) +
              "\" text-anchor=\"" + std::string(anchor) + "\" fill=\"" + std::string(fill) + "\">" + Escaped(text) +
              "</text>";
}

void Svg::Polyline(const std::vector<std::pair<double, double>>& points, std::string_view stroke) {
    if (points.empty()) return;
    markup += "<polyline fill=\"none\" stroke-width=\"1.5\" stroke=\"" + std::string(stroke) + "\" points=\"" +
              Points(points) + "\"/>";
}

void Svg::Polygon(const std::vector<std::pair<double, double>>& points, std::string_view fill) {
    if (points.empty()) return;
    markup += "<polygon stroke=\"none\" fill=\"" + std::string(fill) + "\" points=\"" + Points(points) + "\"/>";
}

std::string Svg::Done() { return markup + "</svg>"; }

}  // namespace talven
