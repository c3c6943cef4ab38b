#pragma once
// The values of a form's controls, held without widgets: the core works on these, the
// GUI mirrors them into real widgets, the batch front end and the tests read and set
// them by name.

#include <QList>
#include <QString>
#include <QStringList>

namespace qvl {

struct TextBox {
    QString Text;
    bool Visible = true;
    bool Enabled = true;
};

struct CheckBox {
    QString Caption;
    int Value = 0; // 0 not ticked, 1 ticked
    bool Visible = true;
    bool Enabled = true;
};

struct OptionButton {
    QString Caption;
    bool Value = false;
    bool Enabled = true;
};

struct Label {
    QString Caption;
    bool Visible = true;
};

struct Frame {
    QString Caption;
    bool Visible = true;
    bool Enabled = true;
};

// List and combo boxes.
struct ListBox {
    QStringList List;
    int ListIndex = -1; // -1: nothing selected
    QString TypedText;  // a combo box's own text while no entry is chosen

    int ListCount() const { return int(List.size()); }
    void Clear()
    {
        List.clear();
        ListIndex = -1;
        TypedText.clear();
    }
    void AddItem(const QString &item) { List.append(item); }
    QString Text() const { return ListIndex >= 0 && ListIndex < List.size() ? List.at(ListIndex) : TypedText; }
};

struct TabStrip {
    QStringList TabCaption;
    QList<bool> TabVisible;

    explicit TabStrip(QStringList captions = {})
        : TabCaption(std::move(captions)), TabVisible(TabCaption.size(), true) {}
    int Tabs() const { return int(TabCaption.size()); }
};

// The drive list and the folder list of the accounting target folder.
struct DriveListBox {
    QString Drive;
};

struct DirListBox {
    QString Path;
};

} // namespace qvl
