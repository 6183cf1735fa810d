#include "behaviour/Texts.h"

#include <array>

namespace morvelin {

const char* const kDescriptionText =
    "本软件由Vornhald开发，本属于免费、绿色软件，主要功能，是组成所录入的种子关键词，自动生成，"
    "二层批配，和三层批配后的关键词，专门针对淘宝优化进行设计，可用于淘宝、阿里巴巴等商城模式网"
    "店进行关键词组合！";

const char* const kCopiedText = "已经复制此处内容！";
const char* const kCopiedCaption = "成功复制";

namespace {

constexpr std::array kTips = {
    TipText{ControlId::Pane1,
            "在这里您可以录入种子关键词类型一\r\n\r\n比如产品名称，等核心批配关键词！"},
    TipText{ControlId::Pane2,
            "在这里你可以录入一些产品的属性\r\n\r\n或者说一些通用长尾的进一步说明！"},
    TipText{ControlId::Pane3, "在这里，你可以对核心的种子进行\r\n\r\n进一步的说明或者强调！"},
    TipText{ControlId::Pane4, "这里是根据条件初步生成的二联关键词！\r\n\r\n双击此处可以自动复制！"},
    TipText{ControlId::Pane5, "这里是根据条件最终生成的三联关键词！\r\n\r\n双击此处可以自动复制！"},
    TipText{ControlId::GenerateButton, "点击此处一键生成长尾关键词！"},
};

}  // namespace

std::span<const TipText> TipTexts() {
    return kTips;
}

}  // namespace morvelin
