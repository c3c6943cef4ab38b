#pragma once
// The handbook in a window: its sections on the left, the chosen one on the right, links
// inside the handbook jump to their section. F1 in any window of the program opens the
// section that explains that window; the main window's "Hilfe" menu opens it from the
// start and saves it as a PDF file.

#include <QWidget>
#include <functional>

class QBoxLayout;
class QTextBrowser;
class QTreeWidget;

namespace qvl {

class UserInterface;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // The one help window, brought to the front at topic (a section's anchor). It belongs
    // to from's window, so that a modal dialog does not block it.
    static HelpWindow *showTopic(QWidget *from, const QString &topic);
    // The help window shown, if any.
    static HelpWindow *current();

    QString topic() const { return m_topic; }
    QTextBrowser *browser() const { return m_browser; }

private:
    explicit HelpWindow(QWidget *parent);
    // The dialog the window belongs to has closed: it goes on belonging to the window below,
    // so that what the clerk reads stays open.
    void ownerFinished();
    void showSection(const QString &topic);
    void followLink(const QUrl &url);

    QTreeWidget *m_sections;
    QTextBrowser *m_browser;
    QString m_topic;
};

// F1 in window opens the handbook at topic.
void installHelpKey(QWidget *window, const QString &topic);
// The same with the topic chosen when F1 is pressed (the main window: its tab's section).
void installHelpKey(QWidget *window, std::function<QString()> topic);

// The main window's menu "Hilfe", a button at the end of row: "Handbuch" (F1) at topic(),
// "Handbuch als PDF speichern …".
void addHelpMenu(QWidget *window, QBoxLayout *row, UserInterface &ui, std::function<QString()> topic);

// Asks for a file name and writes the handbook there as PDF; a failure is told through ui.
void saveHandbookPdfAs(QWidget *parent, UserInterface &ui);

} // namespace qvl
