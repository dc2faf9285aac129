#pragma once
// A drawing surface for native tests: it writes down what it is asked to do, one line per
// platform call, and fails the calls a test names.

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "screen_surface.h"

namespace murmurex::test {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(value));
    return text;
}

class FakePicture : public ScreenPicture {
  public:
    FakePicture(bool image, std::int32_t width, std::int32_t height)
        : image_(image), width_(width), height_(height) {}
    bool HasImage() const override { return image_; }
    std::int32_t WidthHimetric() const override { return width_; }
    std::int32_t HeightHimetric() const override { return height_; }

  private:
    bool image_;
    std::int32_t width_;
    std::int32_t height_;
};

// A screen that writes down what it is asked to do, one line per platform call, and fails the
// calls a test names. Each context starts at the position the test sets, as a fresh device
// context would.
struct FakeScreen : ScreenSurface {
    std::vector<std::string> log;
    std::map<std::string, SurfaceOutcome> failures;  // by call name
    std::set<std::string> files;
    ScreenPoint startPosition{0, 0};
    bool repaintWorks = true;
    int opened = 0;
    int messageRuns = 0;
    std::int32_t textHeight = 16;

    SurfaceOutcome Answer(const std::string& call, std::string line) {
        log.push_back(call + line);
        const auto failure = failures.find(call);
        return failure == failures.end() ? SurfaceOutcome::Success() : failure->second;
    }

    struct Context : ScreenContext {
        FakeScreen& screen;
        ScreenPoint position;
        explicit Context(FakeScreen& s) : screen(s), position(s.startPosition) {}
        ~Context() override { screen.log.push_back("release"); }

        static std::string P(ScreenPoint p) {
            return " " + std::to_string(p.x) + "," + std::to_string(p.y);
        }
        static std::string B(const ScreenBox& b) {
            return " " + std::to_string(b.left) + "," + std::to_string(b.top) + "," +
                   std::to_string(b.right) + "," + std::to_string(b.bottom);
        }

        SurfaceOutcome CurrentPosition(ScreenPoint& at) override {
            at = position;
            return screen.Answer("position", P(position));
        }
        SurfaceOutcome MoveTo(ScreenPoint to) override {
            auto outcome = screen.Answer("move", P(to));
            if (outcome.ok) {
                position = to;
            }
            return outcome;
        }
        SurfaceOutcome AngleArc(ScreenPoint centre, std::int32_t radius, float start,
                                float sweep) override {
            return screen.Answer("arc", P(centre) + " r" + std::to_string(radius) + " " +
                                            std::to_string(static_cast<int>(start)) + "+" +
                                            std::to_string(static_cast<int>(sweep)));
        }
        SurfaceOutcome Ellipse(const ScreenBox& box) override {
            return screen.Answer("ellipse", B(box));
        }
        SurfaceOutcome Chord(const ScreenBox& box, ScreenPoint a, ScreenPoint b) override {
            return screen.Answer("chord", B(box) + P(a) + P(b));
        }
        SurfaceOutcome LineTo(ScreenPoint to) override {
            auto outcome = screen.Answer("line", P(position) + " ->" + P(to));
            position = to;
            return outcome;
        }
        SurfaceOutcome Pie(const ScreenBox& box, ScreenPoint a, ScreenPoint b) override {
            return screen.Answer("pie", B(box) + P(a) + P(b));
        }
        SurfaceOutcome Polygon(std::span<const ScreenPoint> points) override {
            std::string line;
            for (auto p : points) {
                line += P(p);
            }
            return screen.Answer("polygon", line);
        }
        SurfaceOutcome PolylineTo(std::span<const ScreenPoint> points) override {
            std::string line = P(position) + " ->";
            for (auto p : points) {
                line += P(p);
            }
            return screen.Answer("polyline", line);
        }
        SurfaceOutcome FillBox(const ScreenBox& box, std::uint32_t colour) override {
            return screen.Answer("fill", B(box) + " " + Hex(colour));
        }
        SurfaceOutcome FrameBox(const ScreenBox& box, std::uint32_t colour) override {
            return screen.Answer("frame", B(box) + " " + Hex(colour));
        }
        SurfaceOutcome SelectFont(const FontFields& font) override {
            return screen.Answer("font", " " + font.name + " " + std::to_string(font.size) +
                                             (font.bold ? " bold" : ""));
        }
        SurfaceOutcome MeasureText(std::string_view text, ScreenBox& box,
                                   std::int32_t& height) override {
            auto outcome = screen.Answer("measure", " " + std::string(text) + B(box));
            box.right = box.left + 8 * static_cast<std::int32_t>(text.size());
            height = screen.textHeight;
            return outcome;
        }
        SurfaceOutcome DrawText(std::string_view text, const ScreenBox& box,
                                TextLayout layout) override {
            return screen.Answer("text", " " + std::string(text) + B(box) + " flags" +
                                             std::to_string(static_cast<unsigned>(layout)));
        }
        SurfaceOutcome PaintPicture(const ScreenPicture&, ScreenPoint at, std::int32_t width,
                                    std::int32_t height, bool stretch) override {
            return screen.Answer("picture", P(at) + " " + std::to_string(width) + "x" +
                                                std::to_string(height) +
                                                (stretch ? " stretch" : ""));
        }
    };

    std::unique_ptr<ScreenContext> Open(const DrawingStyle& style,
                                        SurfaceOutcome& failure) override {
        failure =
            Answer("open", " back " + Hex(style.colours.backScr) + " fore " +
                               Hex(style.colours.foreScr) + " text " + Hex(style.colours.foreTxt) +
                               " on " + Hex(style.colours.backTxt));
        if (!failure.ok && failure.step == SurfaceStep::GetDc) {
            return nullptr;
        }
        ++opened;
        return std::make_unique<Context>(*this);
    }
    bool IsValidColour(std::uint32_t colour) override {
        return colour <= 0xFFFFFF || (colour >= 0x80000000 && colour <= 0x80000018);
    }
    bool FileExists(std::string_view path) override { return files.count(std::string(path)); }
    SurfaceOutcome LoadPicture(std::string_view path, PictureObject& picture) override {
        auto outcome = Answer("load", " " + std::string(path));
        if (outcome.ok) {
            // 2646 x 1323 hundredths of a millimetre: 100 x 50 pixels at 15 twips per pixel.
            picture = std::make_shared<FakePicture>(true, 2646, 1323);
        }
        return outcome;
    }
    PictureObject PictureFromBitmap(std::uintptr_t bitmap) override {
        log.push_back("wrap " + std::to_string(bitmap));
        return std::make_shared<FakePicture>(true, 529, 265);  // 20 x 10 pixels
    }
    float TwipsPerPixelX() const override { return 15.0f; }
    float TwipsPerPixelY() const override { return 15.0f; }
    bool RepaintDesktop() override {
        log.push_back("repaint");
        return repaintWorks;
    }
    void RunPendingMessages() override { ++messageRuns; }

    // The log lines for the named call, in order.
    std::vector<std::string> Calls(const std::string& call) const {
        std::vector<std::string> lines;
        for (const auto& line : log) {
            if (line.rfind(call, 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }
};

}  // namespace murmurex::test
