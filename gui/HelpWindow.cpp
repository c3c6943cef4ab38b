#include "gui/HelpWindow.h"

#include "app/Handbook.h"
#include "base/UserInterface.h"

#include <QAction>
#include <QBoxLayout>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>

namespace qvl {

namespace {

QPointer<HelpWindow> g_window;

constexpr int kTopicRole = Qt::UserRole;

} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_sections(new QTreeWidget)
    , m_browser(new QTextBrowser)
{
    setObjectName(u"frmHilfe"_qs);
    setWindowTitle(u"Handbuch – QVL32 SEPA Beitragseinzug"_qs);
    setAttribute(Qt::WA_DeleteOnClose);

    m_sections->setObjectName(u"tvAbschnitte"_qs);
    m_sections->setHeaderHidden(true);
    QList<QTreeWidgetItem *> open; // the last item of each level
    for (const HandbookSection &section : Handbook::builtIn().sections()) {
        while (!open.isEmpty() && open.size() >= section.level)
            open.removeLast();
        auto *item = open.isEmpty() ? new QTreeWidgetItem(m_sections) : new QTreeWidgetItem(open.last());
        item->setText(0, section.title);
        item->setData(0, kTopicRole, section.topic);
        while (open.size() < section.level - 1)
            open.append(item); // a level skipped: its subsections hang below this one
        open.append(item);
    }
    m_sections->expandToDepth(1);
    // A section chosen by mouse or arrow keys is shown at once.
    connect(m_sections, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            showSection(item->data(0, kTopicRole).toString());
    });

    m_browser->setObjectName(u"txtHandbuch"_qs);
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);

    auto *splitter = new QSplitter;
    splitter->addWidget(m_sections);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});

    auto *close = new QPushButton(u"S&chließen"_qs);
    close->setObjectName(u"cmdSchliessen"_qs);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(960, 680);
}

HelpWindow *HelpWindow::showTopic(QWidget *from, const QString &topic)
{
    QWidget *owner = from ? from->window() : nullptr;
    if (g_window && owner == g_window)
        owner = g_window->parentWidget();
    if (!g_window)
        g_window = new HelpWindow(owner);
    else if (g_window->parentWidget() != owner) {
        const QRect where = g_window->geometry();
        g_window->setParent(owner, Qt::Window);
        g_window->setGeometry(where);
    }
    if (auto *dialog = qobject_cast<QDialog *>(owner))
        connect(dialog, &QDialog::finished, g_window.data(), &HelpWindow::ownerFinished, Qt::UniqueConnection);
    g_window->showSection(topic);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    return g_window;
}

void HelpWindow::ownerFinished()
{
    auto *dialog = qobject_cast<QWidget *>(sender());
    if (!dialog || parentWidget() != dialog)
        return;
    QWidget *below = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    const QRect where = geometry();
    const bool shown = isVisible();
    setParent(below, Qt::Window); // hides the window
    setGeometry(where);
    if (shown)
        show();
}

HelpWindow *HelpWindow::current()
{
    return g_window;
}

void HelpWindow::showSection(const QString &topic)
{
    const Handbook &handbook = Handbook::builtIn();
    const HandbookSection *section = handbook.find(topic);
    if (!section && !handbook.sections().isEmpty())
        section = &handbook.sections().first();
    if (!section)
        return;
    m_topic = section->topic;
    const QString markdown = handbook.sectionMarkdown(*section);
    m_browser->setMarkdown(markdown);
    addHandbookPictures(*m_browser->document(), markdown);
    // The screenshots are wider than the text beside the sections; they fit its width.
    fitHandbookPictures(*m_browser->document(), 620);
    m_browser->document()->markContentsDirty(0, m_browser->document()->characterCount());
    for (QTreeWidgetItemIterator it(m_sections); *it; ++it) {
        if ((*it)->data(0, kTopicRole).toString() == m_topic) {
            const QSignalBlocker quiet(m_sections);
            m_sections->setCurrentItem(*it);
            m_sections->scrollToItem(*it);
            break;
        }
    }
}

void HelpWindow::followLink(const QUrl &url)
{
    if (url.scheme() == u"http"_qs || url.scheme() == u"https"_qs || url.scheme() == u"mailto"_qs) {
        QDesktopServices::openUrl(url);
        return;
    }
    if (url.hasFragment())
        showSection(url.fragment(QUrl::FullyDecoded));
}

void installHelpKey(QWidget *window, const QString &topic)
{
    installHelpKey(window, [topic] { return topic; });
}

void installHelpKey(QWidget *window, std::function<QString()> topic)
{
    auto *key = new QShortcut(QKeySequence::HelpContents, window);
    key->setObjectName(u"keyHilfe"_qs);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window,
                     [window, topic = std::move(topic)] { HelpWindow::showTopic(window, topic()); });
}

void addHelpMenu(QWidget *window, QBoxLayout *row, UserInterface &ui, std::function<QString()> topic)
{
    // A button with the menu rather than a menu bar: the window keeps the height it fits a
    // laptop's screen with.
    auto *button = new QPushButton(u"Hilfe"_qs, window);
    button->setObjectName(u"cmdHilfe"_qs);
    button->setAutoDefault(false);
    auto *help = new QMenu(button);
    help->setObjectName(u"mnuHilfe"_qs);
    QAction *handbook = help->addAction(u"&Handbuch"_qs);
    handbook->setObjectName(u"actHandbuch"_qs);
    handbook->setShortcut(QKeySequence::HelpContents);
    handbook->setShortcutContext(Qt::WindowShortcut);
    // Also the window's own action, so F1 works while the menu is closed.
    window->addAction(handbook);
    QObject::connect(handbook, &QAction::triggered, window,
                     [window, topic = std::move(topic)] { HelpWindow::showTopic(window, topic()); });
    QAction *pdf = help->addAction(u"Handbuch als &PDF speichern …"_qs);
    pdf->setObjectName(u"actHandbuchPdf"_qs);
    QObject::connect(pdf, &QAction::triggered, window, [window, &ui] { saveHandbookPdfAs(window, ui); });
    button->setMenu(help);
    row->addWidget(button);
}

void saveHandbookPdfAs(QWidget *parent, UserInterface &ui)
{
    const QString path = QFileDialog::getSaveFileName(parent, u"Handbuch als PDF speichern"_qs,
                                                      QDir::home().filePath(u"Handbuch.pdf"_qs),
                                                      u"PDF-Dateien (*.pdf)"_qs);
    if (path.isEmpty())
        return;
    QString error;
    if (!writeHandbookPdf(path, &error))
        ui.message(u"Das Handbuch konnte nicht als PDF-Datei gespeichert werden.\n"_qs + error, u"Handbuch"_qs,
                   MsgIcon::Critical);
}

} // namespace qvl
