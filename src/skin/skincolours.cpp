// The inks and tints of the paper skin, and the palette the skinned windows get from them.
#include "skin/skincolours.h"

#include <QBrush>
#include <QPixmap>

#include <utility>

SkinColours skinColours()
{
    SkinColours c;
    c.paper = QColor(0xf3, 0xea, 0xd6);
    c.button = QColor(0xef, 0xe3, 0xc8);
    c.ink = QColor(0x3b, 0x2f, 0x22);
    c.inkFaded = QColor(0xa8, 0x9a, 0x86);
    c.text = QColor(0x1f, 0x1a, 0x14);
    c.base = QColor(0xff, 0xfd, 0xf6);
    c.baseDisabled = QColor(0xf7, 0xf2, 0xe6);
    c.selection = QColor(0xd8, 0xc4, 0x9d);
    c.rule = QColor(0xa8, 0x8d, 0x63);
    c.ruleHighlighted = QColor(0x7a, 0x5c, 0x3a);
    c.ruleStrong = QColor(0x6b, 0x4f, 0x2e);
    c.ruleFaded = QColor(0xcb, 0xbb, 0x9f);
    c.ruleLight = QColor(0xc2, 0xab, 0x84);
    c.paperLight = QColor(0xff, 0xfa, 0xf0);
    c.seal = QColor(0x96, 0x34, 0x22);
    c.sheen = QColor(0xff, 0xff, 0xff, 60);
    c.sheenDisabled = QColor(0xff, 0xff, 0xff, 110);
    c.shade = QColor(0x6b, 0x4f, 0x2e, 50);
    return c;
}

QPalette skinPalette(const SkinColours& c, const QPixmap& paper)
{
    QPalette palette;
    // The colour goes with the texture for the places that want one plain colour of the window.
    palette.setBrush(QPalette::Window, QBrush(c.paper, paper));
    const std::pair<QPalette::ColorRole, QColor> roles[] = {
        {QPalette::WindowText, c.ink},
        {QPalette::Button, c.button},
        {QPalette::ButtonText, c.ink},
        {QPalette::Text, c.text},
        {QPalette::Base, c.base},
        {QPalette::AlternateBase, c.baseDisabled},
        {QPalette::Light, c.paperLight},
        {QPalette::Midlight, c.paperLight},
        {QPalette::Mid, c.ruleLight},
        {QPalette::Dark, c.rule},
        {QPalette::Shadow, c.ruleStrong},
        {QPalette::Highlight, c.selection},
        {QPalette::HighlightedText, c.text},
        {QPalette::PlaceholderText, c.inkFaded},
        {QPalette::Link, c.seal},
        {QPalette::BrightText, c.seal},
        {QPalette::ToolTipBase, c.base},
        {QPalette::ToolTipText, c.ink},
    };
    for (const auto& [role, colour] : roles)
        palette.setColor(role, colour);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, c.inkFaded);
    palette.setColor(QPalette::Disabled, QPalette::Base, c.baseDisabled);
    return palette;
}
