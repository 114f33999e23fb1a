// Helpers for driving the skinned controls with real mouse events and reading the pixels they show.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace controlsupport {

// What the control shows on screen, as plain RGB.
inline QImage shown(QWidget& control)
{
    return control.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Rows top .. top + height - 1 of a strip picture.
inline QImage stripRows(const QString& file, int top, int height)
{
    const QImage strip(file);
    return strip.copy(0, top, strip.width(), height).convertToFormat(QImage::Format_RGB32);
}

// The box inside a control that receives the mouse.
inline QWidget* mouseBox(QWidget& control)
{
    return control.childAt(5, 5);
}

// Controls made here live until the test has released every button it pressed, so that the next test
// starts with none held.
class MouseTest : public ::testing::Test
{
protected:
    template<typename Control> Control* make() { return new Control(&m_host); }
    // The values a control reports through an event whose argument is a reference.
    template<typename Sender, typename T> std::shared_ptr<QList<int>> record(Sender* sender, void (Sender::*event)(T&))
    {
        auto values = std::make_shared<QList<int>>();
        QObject::connect(sender, event, sender, [values](T& v) { values->append(int(v)); });
        return values;
    }
    void press(QWidget* box, Qt::MouseButton button, QPoint at = QPoint(10, 10))
    {
        QTest::mousePress(box, button, Qt::NoModifier, at);
        m_held.append({ box, button });
    }
    void release(QWidget* box, Qt::MouseButton button)
    {
        QTest::mouseRelease(box, button, Qt::NoModifier, QPoint(10, 10));
        m_held.removeAll(std::pair<QWidget*, Qt::MouseButton>(box, button));
    }
    void TearDown() override
    {
        while (!m_held.isEmpty()) {
            release(m_held.last().first, m_held.last().second);
        }
    }

private:
    QWidget m_host;
    QList<std::pair<QWidget*, Qt::MouseButton>> m_held;
};

} // namespace controlsupport
