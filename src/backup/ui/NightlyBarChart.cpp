#include "NightlyBarChart.h"

#include "Colors.h"

#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace tillora {

namespace {

constexpr int Margin = 6;
// A failed night copies little or nothing; its bar stays this tall so it is seen.
constexpr int LowestBar = 3;

// A night of a few kilobytes reads in kilobytes: "0.0 MB" above a full bar says nothing.
QString megabytesInWords(double megabytes) {
    const bool small = megabytes > 0 && megabytes < 0.1;
    const double amount = small ? megabytes * 1024 : megabytes;
    return QStringLiteral("%1 %2").arg(QLocale().toString(amount, 'f', amount < 10 ? 1 : 0),
                                       small ? QStringLiteral("kB") : QStringLiteral("MB"));
}

} // namespace

NightlyBarChart::NightlyBarChart(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("NightChart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void NightlyBarChart::setNights(const QList<NightBar>& nights) {
    nights_ = nights;
    update();
}

QRect NightlyBarChart::plotArea() const {
    const int text = fontMetrics().height();
    return rect().adjusted(Margin, Margin + text, -Margin, -(Margin + text));
}

QRect NightlyBarChart::slotRect(int index) const {
    const QRect plot = plotArea();
    const int count = std::max<int>(1, int(nights_.size()));
    const int left = plot.left() + plot.width() * index / count;
    const int right = plot.left() + plot.width() * (index + 1) / count;
    return {left, plot.top(), std::max(1, right - left), plot.height()};
}

double NightlyBarChart::highestMegabytes() const {
    double most = 0;
    for (const NightBar& night : nights_)
        most = std::max(most, night.megabytes);
    return most;
}

double NightlyBarChart::scaleMegabytes() const {
    const double most = highestMegabytes();
    return most > 0 ? most : 1.0;
}

QString NightlyBarChart::title() const {
    return QStringLiteral("Megabytes copied per night (highest %1)")
        .arg(megabytesInWords(highestMegabytes()));
}

QRect NightlyBarChart::barRect(int index) const {
    if (index < 0 || index >= nights_.size() || nights_[index].state == NightBar::State::NoRun)
        return {};
    const QRect slot = slotRect(index);
    const int gap = std::max(1, slot.width() / 6);
    const int full = slot.height();
    const int height = std::clamp(
        int(std::lround(full * nights_[index].megabytes / scaleMegabytes())), LowestBar, full);
    return {slot.left() + gap, slot.bottom() + 1 - height, std::max(1, slot.width() - 2 * gap),
            height};
}

void NightlyBarChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect plot = plotArea();

    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(rect().adjusted(Margin, Margin, -Margin, 0), Qt::AlignLeft | Qt::AlignTop,
                     title());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());

    for (int i = 0; i < nights_.size(); ++i) {
        const QRect bar = barRect(i);
        if (bar.isEmpty())
            continue;
        const bool attention = nights_[i].state == NightBar::State::Attention;
        painter.fillRect(bar, toQColor(attention ? colour::Red : colour::Green));
    }

    // The first and the last night name the span.
    if (!nights_.isEmpty()) {
        painter.setPen(palette().color(QPalette::Text));
        const QRect labels(plot.left(), plot.bottom() + 2, plot.width(), fontMetrics().height());
        const auto date = [](const QDate& d) { return d.toString(QStringLiteral("M/d")); };
        painter.drawText(labels, Qt::AlignLeft, date(nights_.first().date));
        painter.drawText(labels, Qt::AlignRight, date(nights_.last().date));
    }
}

bool NightlyBarChart::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    for (int i = 0; i < nights_.size(); ++i) {
        if (!slotRect(i).contains(at))
            continue;
        const NightBar& night = nights_[i];
        QString text = QLocale().toString(night.date, QLocale::ShortFormat) + QStringLiteral(": ");
        switch (night.state) {
        case NightBar::State::NoRun:
            text += QStringLiteral("no backup");
            break;
        case NightBar::State::Good:
            text += megabytesInWords(night.megabytes);
            break;
        case NightBar::State::Attention:
            text += megabytesInWords(night.megabytes) + QStringLiteral(", needs attention");
            break;
        }
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

} // namespace tillora
