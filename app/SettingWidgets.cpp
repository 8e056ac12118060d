#include "SettingWidgets.h"

#include <QPainter>

TConnectionPanel::TConnectionPanel(std::function<bool()> connected, QWidget *parent)
    : QWidget(parent)
    , m_connected(std::move(connected))
{
    setFixedWidth(100);
}

QString TConnectionPanel::DrawnText() const
{
    return m_connected() ? QStringLiteral(" Connected: true") : QStringLiteral(" Connected: false");
}

QSize TConnectionPanel::sizeHint() const
{
    return {100, fontMetrics().height() + 4};
}

void TConnectionPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(m_connected() ? QColor(0, 128, 0) : QColor(255, 0, 0));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, DrawnText());
}
