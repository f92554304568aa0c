#include "app/PanelFonts.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QStringList>
#include <QWidget>

void installPanelFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("Noto Sans CJK JP")});
}

void usePixelFontSizes(QWidget* root)
{
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        if (!widget->testAttribute(Qt::WA_SetFont) || widget->font().pointSizeF() <= 0)
            continue;
        QFont font = widget->font();
        font.setPixelSize(qRound(font.pointSizeF() * 96.0 / 72.0));
        widget->setFont(font);
    }
}

void fitCaptionToDesign(QLabel* label)
{
    QFont font = label->font();
    const int natural = QFontMetrics(font).horizontalAdvance(label->text());
    if (natural <= label->width())
        return;
    font.setStretch(std::max<int>(QFont::UltraCondensed, label->width() * 100 / natural));
    label->setFont(font);
}
