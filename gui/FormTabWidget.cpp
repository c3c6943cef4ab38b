#include "gui/FormTabWidget.h"

#include <QKeyEvent>
#include <QTabBar>
#include <QWheelEvent>

namespace qvl {

namespace {

class FormTabBar : public QTabBar {
public:
    explicit FormTabBar(std::function<bool()> mayLeave)
        : m_mayLeave(std::move(mayLeave))
    {
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        const int tab = tabAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && tab >= 0 && tab != currentIndex() && !m_mayLeave()) {
            event->accept();
            return;
        }
        QTabBar::mousePressEvent(event);
    }
    void wheelEvent(QWheelEvent *event) override
    {
        if (!m_mayLeave()) {
            event->accept();
            return;
        }
        QTabBar::wheelEvent(event);
    }
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::Shortcut && !m_mayLeave())
            return true;
        return QTabBar::event(event);
    }

private:
    std::function<bool()> m_mayLeave;
};

// The keys with which QTabWidget changes its page: Ctrl+Tab and Ctrl+Shift+Tab.
bool changesPage(const QKeyEvent *event)
{
    return (event->modifiers() & Qt::ControlModifier)
           && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab);
}

} // namespace

FormTabWidget::FormTabWidget(std::function<bool()> mayLeave, QWidget *parent)
    : QTabWidget(parent)
    , m_mayLeave(std::move(mayLeave))
{
    setTabBar(new FormTabBar(m_mayLeave));
}

void FormTabWidget::keyPressEvent(QKeyEvent *event)
{
    if (changesPage(event) && count() > 1 && !m_mayLeave()) {
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}

} // namespace qvl
