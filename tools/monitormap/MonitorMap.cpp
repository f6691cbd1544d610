// monitormap: draws a layout of monitors as the engine sees it, from the simulated desktop:
// each monitor, the parts of the desktop rectangle no monitor shows, the outer sides (red),
// and the edge zones the engine finds under the cursor there, one colour per edge. The
// zones are found by ticking a real engine with the cursor at each point drawn, drawn wider
// than one pixel so that they show at the picture's scale.
//
//   monitormap OUT.ppm [SCALE] [EDGE_WIDTH] [LEFT,TOP,RIGHT,BOTTOM ...]
//
// Without monitors it draws two monitors side by side of different heights.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/frmPopyonnEngine.h"
#include "platform/Monitors.h"
#include "platform/SimDesktop.h"

namespace {

using popyo::TPoint;
using popyo::TRect;

struct Rgb {
    std::uint8_t r, g, b;
};

constexpr Rgb kNoMonitor{70, 70, 76};
constexpr Rgb kMonitor{226, 228, 232};
constexpr Rgb kOuterSide{215, 38, 38};
constexpr Rgb kBorder{120, 124, 132};
// edNone, edLeft, edTop, edBottom, edRight
constexpr std::array<Rgb, 5> kZone = {Rgb{0, 0, 0}, Rgb{66, 133, 244}, Rgb{52, 168, 83},
                                      Rgb{251, 140, 0}, Rgb{142, 68, 173}};

class Picture {
  public:
    Picture(TRect box, int scale)
        : box_(box),
          scale_(scale),
          width_(popyo::Width(box) / scale),
          height_(popyo::Height(box) / scale),
          pixels_(static_cast<std::size_t>(width_ * height_), kNoMonitor) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The screen point at the middle of an image pixel.
    TPoint ScreenAt(int x, int y) const {
        return {box_.Left + x * scale_ + scale_ / 2, box_.Top + y * scale_ + scale_ / 2};
    }
    void Set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) {
            pixels_[static_cast<std::size_t>(y * width_ + x)] = c;
        }
    }
    // A screen rectangle, filled.
    void Fill(const TRect& r, Rgb c) {
        for (int y = (r.Top - box_.Top) / scale_; y < (r.Bottom - box_.Top) / scale_; ++y) {
            for (int x = (r.Left - box_.Left) / scale_; x < (r.Right - box_.Left) / scale_; ++x) {
                Set(x, y, c);
            }
        }
    }
    bool Write(const std::string& path) const {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) {
            return false;
        }
        std::fprintf(f, "P6\n%d %d\n255\n", width_, height_);
        for (const Rgb& p : pixels_) {
            std::fputc(p.r, f);
            std::fputc(p.g, f);
            std::fputc(p.b, f);
        }
        return std::fclose(f) == 0;
    }

  private:
    TRect box_;
    int scale_;
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// The edge the engine finds with the cursor at p: two ticks there, the second one counts.
std::uint8_t EdgeAt(popyo::SimDesktop& sim, popyo::TformPopyonnEngine& engine, TPoint p) {
    sim.cursor = p;
    engine.Timer1Timer();
    return engine.LastEdge;
}

// The sides of each monitor beyond which no monitor continues, drawn along their inside.
void DrawOuterSides(Picture& pic, const popyo::MonitorList& monitors, const TRect& box, int scale) {
    constexpr int kThick = 2;
    for (const TRect& m : monitors.All()) {
        for (int x = m.Left; x < m.Right; x += scale) {
            const int px = (x - box.Left) / scale;
            for (int t = 0; t < kThick; ++t) {
                if (!popyo::Covered(monitors, x, m.Top - 1)) {
                    pic.Set(px, (m.Top - box.Top) / scale + t, kOuterSide);
                }
                if (!popyo::Covered(monitors, x, m.Bottom)) {
                    pic.Set(px, (m.Bottom - box.Top) / scale - 1 - t, kOuterSide);
                }
            }
        }
        for (int y = m.Top; y < m.Bottom; y += scale) {
            const int py = (y - box.Top) / scale;
            for (int t = 0; t < kThick; ++t) {
                if (!popyo::Covered(monitors, m.Left - 1, y)) {
                    pic.Set((m.Left - box.Left) / scale + t, py, kOuterSide);
                }
                if (!popyo::Covered(monitors, m.Right, y)) {
                    pic.Set((m.Right - box.Left) / scale - 1 - t, py, kOuterSide);
                }
            }
        }
    }
}

bool ParseRect(const char* text, TRect& r) {
    return std::sscanf(text, "%d,%d,%d,%d", &r.Left, &r.Top, &r.Right, &r.Bottom) == 4 &&
           r.Right > r.Left && r.Bottom > r.Top;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.ppm [SCALE] [EDGE_WIDTH] [L,T,R,B ...]\n", argv[0]);
        return 2;
    }
    const int scale = argc > 2 ? std::atoi(argv[2]) : 8;
    const int edgeWidth = argc > 3 ? std::atoi(argv[3]) : 48;
    popyo::MonitorList monitors;
    for (int i = 4; i < argc; ++i) {
        TRect r;
        if (!ParseRect(argv[i], r)) {
            std::fprintf(stderr, "monitormap: '%s' is not LEFT,TOP,RIGHT,BOTTOM\n", argv[i]);
            return 2;
        }
        monitors.Add(r);
    }
    if (monitors.Empty()) {
        monitors = {{0, 0, 1920, 1080}, {1920, 0, 4480, 1440}};
    }
    if (scale < 1 || edgeWidth < 1) {
        std::fprintf(stderr, "monitormap: scale and edge width must be at least 1\n");
        return 2;
    }

    popyo::SimDesktop sim;
    sim.SetMonitors(monitors);
    sim.recordCalls = false;
    popyo::TformPopyonnEngine engine(sim);
    engine.FormCreate();
    engine.Wide.EdgeWidth = edgeWidth;

    const TRect box = popyo::BoundingBox(monitors);
    Picture pic(box, scale);
    for (const TRect& m : monitors.All()) {
        pic.Fill(m, kMonitor);
    }
    for (int y = 0; y < pic.Height(); ++y) {
        for (int x = 0; x < pic.Width(); ++x) {
            const TPoint p = pic.ScreenAt(x, y);
            if (!popyo::Covered(monitors, p.X, p.Y)) {
                continue;
            }
            EdgeAt(sim, engine, p);
            if (const std::uint8_t edge = EdgeAt(sim, engine, p); edge != popyo::edNone) {
                pic.Set(x, y, kZone[edge]);
            }
        }
    }
    for (const TRect& m : monitors.All()) {
        for (int x = (m.Left - box.Left) / scale; x < (m.Right - box.Left) / scale; ++x) {
            pic.Set(x, (m.Top - box.Top) / scale, kBorder);
            pic.Set(x, (m.Bottom - box.Top) / scale - 1, kBorder);
        }
        for (int y = (m.Top - box.Top) / scale; y < (m.Bottom - box.Top) / scale; ++y) {
            pic.Set((m.Left - box.Left) / scale, y, kBorder);
            pic.Set((m.Right - box.Left) / scale - 1, y, kBorder);
        }
    }
    DrawOuterSides(pic, monitors, box, scale);
    if (!pic.Write(argv[1])) {
        std::fprintf(stderr, "monitormap: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
