#include "platform/gui/form.h"

#include "platform/gui/toolkit.h"

#include <QCloseEvent>
#include <QFont>
#include <QPalette>

namespace platform {

Form::Form(QWidget* owner, int clientWidthTwips, int clientHeightTwips)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setFixedSize(twipsToPixels(clientWidthTwips), twipsToPixels(clientHeightTwips));
}

void Form::Show()
{
    show();
    raise();
    activateWindow();
}

void Form::Unload()
{
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    Form_Unload();
    hide();
    // Unload runs inside the form's own handlers: the form goes once they have returned.
    if (m_busy == 0) {
        deleteLater();
    }
}

Form::Busy::Busy(Form* form) : m_form(form)
{
    ++m_form->m_busy;
}

Form::Busy::~Busy()
{
    if (m_form && --m_form->m_busy == 0 && m_form->m_unloaded) {
        m_form->deleteLater();
    }
}

void Form::closeEvent(QCloseEvent* event)
{
    event->accept();
    Unload();
}

void placeTwips(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QFont dialogFont(double points, bool bold)
{
    // Where the old face is missing, Arial's metric twin keeps the captions within their controls.
    QFont font;
    font.setFamilies({ QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans") });
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pointsToPixels(points));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

void setColours(QWidget* control, const QColor& background, const QColor& text)
{
    QPalette p = control->palette();
    for (const auto role : { QPalette::Base, QPalette::Window, QPalette::Button }) {
        p.setColor(role, background);
    }
    for (const auto role : { QPalette::Text, QPalette::WindowText, QPalette::ButtonText }) {
        p.setColor(role, text);
    }
    control->setPalette(p);
    control->setAutoFillBackground(true);
}

} // namespace platform
