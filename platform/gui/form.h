// Dialog windows as the program expects them. A form is a fixed tool window (close box only) that stays
// above its owner; its client area and its controls are placed in twips. FormInstance is the one instance
// of a form: the first use creates it and runs Form_Load before that use completes; Unload (the form's own
// action, Cancel or the close box) runs Form_Unload and discards it, and the next use loads it afresh.
// Discarding the owner discards the form without running its handlers, as ending the program does.
#pragma once

#include <QPointer>
#include <QWidget>

class QColor;
class QFont;

namespace platform {

class Form : public QWidget
{
    Q_OBJECT
public:
    Form(QWidget* owner, int clientWidthTwips, int clientHeightTwips);

    virtual void Form_Load() { }
    // Shows the form without waiting; an open form comes to the front.
    void Show();
    void Unload();
    bool isUnloaded() const { return m_unloaded; }

    void Caption(const QString& caption) { setWindowTitle(caption); }

    // Held by a handler that lets pending events run: a form unloaded meanwhile (Cancel, the close box) is
    // discarded only once the handler has returned, so the handler can run to its end.
    class Busy
    {
    public:
        explicit Busy(Form* form);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        QPointer<Form> m_form;
    };

protected:
    virtual void Form_Unload() { }
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_unloaded = false;
    int m_busy = 0;
};

template <class F>
class FormInstance
{
public:
    F* operator->() { return get(); }
    F* get()
    {
        if (!loaded()) {
            m_form = new F;
            m_form->Form_Load();
        }
        return m_form;
    }
    bool loaded() const { return m_form && !m_form->isUnloaded(); }

private:
    QPointer<F> m_form;
};

// Places a control in its form, in twips from the client area's corner.
void placeTwips(QWidget* control, int left, int top, int width, int height);
// The dialogs' "MS Sans Serif" at a point size, regular or bold.
QFont dialogFont(double points, bool bold = false);
// Background and text colour of a control and its parts.
void setColours(QWidget* control, const QColor& background, const QColor& text);

} // namespace platform
