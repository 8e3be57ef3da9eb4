// An icon whose picture is drawn the first time it is shown: the buttons of a
// window that stays hidden at start cost nothing until the window shows.
#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <functional>

class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(std::function<QImage()> draw, QSize size) : draw_(std::move(draw)), size_(size) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override { return new DeferredIconEngine(draw_, size_); }
    bool isNull() override { return false; }

private:
    // The drawn picture as a plain icon, which also makes the disabled look.
    const QIcon& drawn();

    std::function<QImage()> draw_;
    QSize size_;
    QIcon drawn_;
};
