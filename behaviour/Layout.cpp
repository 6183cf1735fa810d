#include "behaviour/Layout.h"

#include <array>
#include <cstddef>

#include "behaviour/Version.h"

namespace morvelin {

const char* const kMakersPageUrl = MORVELIN_MAKERS_PAGE;

namespace {

constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kGreen{0, 128, 0};

using K = ControlKind;
using C = ControlId;
using F = FontKind;

constexpr ControlLayout Box(C id, const char* name, int x, int y, int w, int h, const char* caption,
                            Rgb colour) {
    return {id,      K::GroupBox, name,        C::Window,     x,    y, w, h,
            caption, colour,      kWindowGrey, F::DefaultGui, false};
}

constexpr ControlLayout Pane(C id, const char* name, C parent, int x, int y, int w, int h,
                             bool output) {
    return {id,      K::Pane, name, parent, x, y, w, h, "", kBlack, output ? kWindowGrey : kWhite,
            F::Pane, output};
}

constexpr ControlLayout Label(C id, const char* name, C parent, int x, int y, int w, int h,
                              const char* text, Rgb colour, bool wraps = false) {
    return {id,   K::Label, name,        parent,        x,    y, w, h,
            text, colour,   kWindowGrey, F::DefaultGui, wraps};
}

constexpr ControlLayout Link(C id, const char* name, int x, int y, int w, int h,
                             const char* caption) {
    return {id,     K::HyperlinkLabel, name,          C::GroupBox1, x, y, w, h, caption,
            kBlack, kWindowGrey,       F::DefaultGui, false};
}

constexpr ControlLayout Category(char letter, const char* name, int x, int y) {
    return {static_cast<C>(static_cast<int>(C::CategoryA) + (letter - 'A')),
            K::RadioButton,
            name,
            C::GroupBox3,
            x,
            y,
            62,
            16,
            name,
            kBlack,
            kWindowGrey,
            F::SongTiPixels14,
            true};
}

// Front to back within each parent; a control higher up is drawn over a lower one.
constexpr std::array kControls = {
    ControlLayout{C::BalloonTips, K::BalloonTips, "气球提示框", C::Window, 0, 0, 0, 0, "", kBlack,
                  kWindowGrey, F::Pane, false},
    Box(C::GroupBox9, "分组框9", 428, 539, 453, 90, "官方说明", kBlack),
    Box(C::GroupBox8, "分组框8", 661, 2, 220, 534, "二级生成", kBlue),
    Box(C::GroupBox7, "分组框7", 468, 2, 190, 534, "一级生成", kBlue),
    Pane(C::Pane3, "三级编辑框", C::Window, 313, 20, 150, 400, false),
    Box(C::GroupBox6, "分组框6", 312, 2, 153, 420, "请输入产品的类别", kBlue),
    Pane(C::Pane2, "二级编辑框", C::Window, 157, 20, 150, 400, false),
    Box(C::GroupBox5, "分组框5", 156, 2, 153, 420, "请输入产品的属性", kBlue),
    Pane(C::Pane1, "一级编辑框", C::Window, 1, 20, 150, 400, false),
    Box(C::GroupBox4, "分组框4", 0, 2, 153, 420, "请录入产品名称", kBlue),
    Box(C::GroupBox1, "分组框1", 1, 539, 424, 90, "软件说明", kGrey),
    ControlLayout{C::GenerateButton, K::PushButton, "生成关键词按钮", C::Window, 336, 507, 118, 24,
                  "一 键 生 成", kBlack, kWindowGrey, F::SongTiPixels16, true},
    Box(C::GroupBox3, "分组框3", 1, 426, 464, 110, "分类", kBlue),
    Pane(C::Pane5, "五级编辑框", C::GroupBox8, 1, 20, 217, 512, true),
    Pane(C::Pane4, "四级编辑框", C::GroupBox7, 1, 20, 187, 512, true),
    Label(C::Label5, "标签5", C::GroupBox9, 8, 36, 440, 49, "标签", kGreen, true),
    Label(C::Label4, "标签4", C::GroupBox9, 8, 12, 440, 24,
          "关键词支持快捷键：(全选 Ctrl+A)、(剪切Ctrl+X)、(复制Ctrl+C)、(粘贴Ctrl+V)", kBlue),
    Label(C::Label3, "标签3", C::GroupBox1, 12, 66, 59, 19, "友情支持：", kBlue),
    Link(C::Link10, "超级链接框10", 335, 67, 57, 16, "天猫商城"),
    Link(C::Link6, "超级链接框6", 69, 67, 58, 16, "Vornhald"),
    Link(C::Link7, "超级链接框7", 134, 67, 51, 16, "淘宝网"),
    Link(C::Link8, "超级链接框8", 192, 67, 79, 16, "阿里巴巴"),
    Link(C::Link9, "超级链接框9", 278, 67, 57, 16, "使用帮助"),
    Link(C::Link1, "超级链接框1", 10, 47, 405, 19,
         "本软件由Vornhald 制作，本软件是免费共享软件！详情vornhald.example"),
    Label(C::Label2, "标签2", C::GroupBox1, 11, 30, 325, 19,
          "关键词每行一个，不能有无效数据或空行，否则将出现错误！", kGrey),
    Label(C::Label1, "标签1", C::GroupBox1, 11, 12, 404, 19,
          "以上三项分别是，产品、属性、类别，可以多种方式灵活搭配！", kGrey),
    Category('H', "分类H", 5, 42),
    Category('I', "分类I", 71, 42),
    Category('J', "分类J", 137, 42),
    Category('A', "分类A", 5, 17),
    Category('B', "分类B", 71, 17),
    Category('C', "分类C", 137, 17),
    Category('D', "分类D", 203, 17),
    Category('E', "分类E", 269, 17),
    Category('F', "分类F", 334, 17),
    Category('G', "分类G", 400, 17),
    Category('V', "分类V", 5, 86),
    Category('W', "分类W", 71, 86),
    Category('X', "分类X", 137, 86),
    Category('Y', "分类Y", 203, 86),
    Category('Z', "分类Z", 269, 86),
    Category('O', "分类O", 5, 65),
    Category('P', "分类P", 71, 65),
    Category('Q', "分类Q", 137, 65),
    Category('R', "分类R", 203, 65),
    Category('S', "分类S", 269, 65),
    Category('T', "分类T", 334, 65),
    Category('U', "分类U", 400, 65),
    Category('N', "分类N", 400, 42),
    Category('K', "分类K", 202, 42),
    Category('L', "分类L", 268, 42),
    Category('M', "分类M", 334, 42),
};

constexpr std::array kLinks = {
    LinkLayout{C::Link1, {128, 128, 128}, {128, 0, 0}, {10, 36, 106}, kMakersPageUrl},
    LinkLayout{C::Link6, {0, 96, 192}, {0, 136, 255}, {128, 0, 0}, kMakersPageUrl},
    LinkLayout{C::Link7, {0, 96, 192}, {0, 136, 255}, {128, 0, 128}, "https://www.taobao.com/"},
    LinkLayout{C::Link8, {0, 96, 192}, {0, 136, 255}, {128, 0, 0}, "https://www.1688.com/"},
    LinkLayout{C::Link9, {0, 0, 255}, {128, 0, 0}, {10, 36, 106}, "https://vornhald.example/help"},
    LinkLayout{C::Link10, {0, 0, 255}, {128, 0, 0}, {10, 36, 106}, "https://www.tmall.com/"},
};

constexpr WindowLayout kWindow{"Morvelin V" MORVELIN_VERSION, 882, 630, 888, 656, kWindowGrey};

}  // namespace

const WindowLayout& MainWindowLayout() {
    return kWindow;
}

std::span<const ControlLayout> ControlLayouts() {
    return kControls;
}

const ControlLayout& LayoutOf(ControlId id) {
    for (const ControlLayout& control : kControls) {
        if (control.id == id) {
            return control;
        }
    }
    // Every id but Window has a row (a test checks it); Window is the box that holds them all.
    return kControls.front();
}

ControlId PaneControl(int pane) {
    constexpr std::array panes = {C::Pane1, C::Pane2, C::Pane3, C::Pane4, C::Pane5};
    return pane >= 1 && pane <= 5 ? panes[static_cast<std::size_t>(pane - 1)] : C::Window;
}

ControlId CategoryControl(char letter) {
    if (letter < 'a' || letter > 'z') {
        return C::Window;
    }
    return static_cast<C>(static_cast<int>(C::CategoryA) + (letter - 'a'));
}

std::span<const LinkLayout> LinkLayouts() {
    return kLinks;
}

const LinkLayout& LinkOf(ControlId id) {
    for (const LinkLayout& link : kLinks) {
        if (link.id == id) {
            return link;
        }
    }
    return kLinks.front();
}

}  // namespace morvelin
