#pragma once
// The main form's tabs. Changing the page — a click on a tab, the mouse wheel over the
// tabs, Ctrl+Tab and Ctrl+Shift+Tab, a tab's accelerator — first asks whether the box
// being typed in may be left; while it refuses its text, the page stays.

#include <QTabWidget>
#include <functional>

namespace qvl {

class FormTabWidget : public QTabWidget {
    Q_OBJECT
public:
    // mayLeave: leaves the box being typed in; false keeps the page (and the focus there).
    explicit FormTabWidget(std::function<bool()> mayLeave, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::function<bool()> m_mayLeave;
};

} // namespace qvl
