#pragma once

#include "NightlyChart.h"

#include <QWidget>

namespace tillora {

// Megabytes copied per night as bars, painted by hand: a night without a run is an empty
// slot, a night that failed or left files out is red.
class NightlyBarChart : public QWidget {
    Q_OBJECT

public:
    explicit NightlyBarChart(QWidget* parent = nullptr);

    void setNights(const QList<NightBar>& nights);
    const QList<NightBar>& nights() const { return nights_; }

    // The line above the bars: "Megabytes copied per night (highest 3.4 kB)".
    QString title() const;
    // Where night `index` is painted; empty for a night without a run.
    QRect barRect(int index) const;

    QSize sizeHint() const override { return {600, 160}; }
    QSize minimumSizeHint() const override { return {240, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect plotArea() const;
    QRect slotRect(int index) const;
    double highestMegabytes() const;
    double scaleMegabytes() const; // the full bar: the highest night, 1 MB when all are empty

    QList<NightBar> nights_;
};

} // namespace tillora
