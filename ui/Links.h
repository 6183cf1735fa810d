#pragma once

#include <QRgb>
#include <array>

namespace morvelin {

// Web addresses and hyperlink captions, fixed at build time. The texts are UTF-8; turn them into
// QString with QString::fromUtf8. Addresses are plain pages, without tracking parameters.

// The makers' home page: opened when the window closes, and by the links that name the makers.
inline constexpr char kMakersPageUrl[] = "https://vornhald.example/";

// One hyperlink label of the "软件说明" box.
struct LinkEntry {
    const char* formName;
    const char* caption;
    const char* url;
    QRgb normal;
    QRgb visited;
    QRgb hover;
};

// The six hyperlink labels. Every caption fits its box at the default GUI font; the row of five
// reads 超级链接框6 to 超级链接框10 from left to right.
inline constexpr std::array<LinkEntry, 6> kLinks = {{
    {"超级链接框1", "本软件由Vornhald 制作，本软件是免费共享软件！详情vornhald.example",
     kMakersPageUrl, qRgb(128, 128, 128), qRgb(128, 0, 0), qRgb(10, 36, 106)},
    {"超级链接框6", "Vornhald", kMakersPageUrl, qRgb(0, 96, 192), qRgb(0, 136, 255),
     qRgb(128, 0, 0)},
    {"超级链接框7", "淘宝网", "https://www.taobao.com/", qRgb(0, 96, 192), qRgb(0, 136, 255),
     qRgb(128, 0, 128)},
    {"超级链接框8", "阿里巴巴", "https://www.1688.com/", qRgb(0, 96, 192), qRgb(0, 136, 255),
     qRgb(128, 0, 0)},
    {"超级链接框9", "使用帮助", "https://vornhald.example/help", qRgb(0, 0, 255), qRgb(128, 0, 0),
     qRgb(10, 36, 106)},
    {"超级链接框10", "天猫商城", "https://www.tmall.com/", qRgb(0, 0, 255), qRgb(128, 0, 0),
     qRgb(10, 36, 106)},
}};

}  // namespace morvelin
