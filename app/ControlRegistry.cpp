#include "app/ControlRegistry.h"

#include "text/Conversions.h"

#include <algorithm>

namespace qvl {

namespace {

QString flag(bool value)
{
    return value ? u"1"_qs : u"0"_qs;
}

// "0"/"1" only: check states, option values, visibility.
bool readFlag(const QString &text, bool *out)
{
    const QString t = text.trimmed();
    if (t == u"0"_qs || t == u"1"_qs) {
        *out = t == u"1"_qs;
        return true;
    }
    return false;
}

} // namespace

void ControlRegistry::addLine(const QString &name, std::function<QString()> get,
                              std::function<bool(const QString &)> set)
{
    m_entries.append({[name, get] { return QList<DumpLine>{{name, get()}}; }});
    if (set)
        addSetter(name, std::move(set));
}

void ControlRegistry::addFlag(const QString &name, bool *flagField)
{
    addLine(name, [flagField] { return flag(*flagField); },
            [flagField](const QString &v) { return readFlag(v, flagField); });
}

void ControlRegistry::addSetter(const QString &name, std::function<bool(const QString &)> set)
{
    m_setters.insert(name.toLower(), std::move(set));
}

void ControlRegistry::addText(const QString &name, QString *field, Action onChange)
{
    addLine(name, [field] { return *field; }, [field, onChange](const QString &v) {
        *field = v;
        if (onChange)
            onChange();
        return true;
    });
}

void ControlRegistry::addBool(const QString &name, bool *field)
{
    addLine(name, [field] { return boolText(*field); }, [field](const QString &v) {
        const auto b = parseBool(v);
        if (!b)
            return false;
        *field = *b;
        return true;
    });
}

void ControlRegistry::addNumber(const QString &name, int *field, int lowest, int highest)
{
    addLine(name, [field] { return QString::number(*field); }, [field, lowest, highest](const QString &v) {
        bool ok = false;
        const int n = v.trimmed().toInt(&ok);
        ok = ok && n >= lowest && n <= highest;
        if (ok)
            *field = n;
        return ok;
    });
}

void ControlRegistry::addTextBox(const QString &name, TextBox *box, int properties, Action onChange)
{
    addCheckedTextBox(name, box, properties, [onChange] {
        if (onChange)
            onChange();
        return true;
    });
}

void ControlRegistry::addCheckedTextBox(const QString &name, TextBox *box, int properties, std::function<bool()> leave)
{
    if (properties & MultiLine)
        m_multiLine.insert(name.toLower());
    addLine(name, [box] { return box->Text; }, [this, name, box, leave](const QString &v) {
        const QString before = box->Text;
        box->Text = v;
        const bool accepted = leave();
        const auto known = std::find_if(m_refused.begin(), m_refused.end(),
                                        [&](const RefusedBox &r) { return r.box == box; });
        if (accepted && known != m_refused.end())
            m_refused.erase(known);
        else if (!accepted && known == m_refused.end())
            m_refused.append({name, box, before});
        return accepted;
    });
    if (properties & Visible)
        addFlag(name + u".Visible"_qs, &box->Visible);
    if (properties & Enabled)
        addFlag(name + u".Enabled"_qs, &box->Enabled);
}

void ControlRegistry::restoreAccepted(const QString &name)
{
    for (qsizetype i = 0; i < m_refused.size(); ++i)
        if (m_refused[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            m_refused[i].box->Text = m_refused[i].accepted;
            m_refused.removeAt(i);
            return;
        }
}

void ControlRegistry::addCheckBox(const QString &name, CheckBox *box, int properties, Action onChange)
{
    addLine(name, [box] { return QString::number(box->Value); }, [box, onChange](const QString &v) {
        bool on = false;
        if (!readFlag(v, &on))
            return false;
        box->Value = on ? 1 : 0;
        if (onChange)
            onChange();
        return true;
    });
    if (properties & Caption)
        addLine(name + u".Caption"_qs, [box] { return box->Caption; });
    if (properties & Visible)
        addFlag(name + u".Visible"_qs, &box->Visible);
    if (properties & Enabled)
        addFlag(name + u".Enabled"_qs, &box->Enabled);
}

void ControlRegistry::addLabel(const QString &name, Label *label, int properties)
{
    if (properties & Caption)
        addLine(name + u".Caption"_qs, [label] { return label->Caption; });
    if (properties & Visible)
        addFlag(name + u".Visible"_qs, &label->Visible);
}

void ControlRegistry::addFrame(const QString &name, Frame *frame, int properties)
{
    if (properties & Caption)
        addLine(name + u".Caption"_qs, [frame] { return frame->Caption; });
    if (properties & Visible)
        addFlag(name + u".Visible"_qs, &frame->Visible);
    if (properties & Enabled)
        addFlag(name + u".Enabled"_qs, &frame->Enabled);
}

void ControlRegistry::addOptionGroup(const QString &name, QList<OptionButton *> buttons, int properties,
                                     std::function<void(int)> onSelect)
{
    for (int i = 0; i < buttons.size(); ++i) {
        const QString member = name + u'(' + QString::number(i) + u')';
        OptionButton *button = buttons[i];
        addLine(member, [button] { return flag(button->Value); }, [buttons, i, onSelect](const QString &v) {
            bool on = false;
            if (!readFlag(v, &on))
                return false;
            if (!on) {
                buttons[i]->Value = false;
                return true;
            }
            for (int j = 0; j < buttons.size(); ++j)
                buttons[j]->Value = j == i;
            if (onSelect)
                onSelect(i);
            return true;
        });
        if (properties & Caption)
            addLine(member + u".Caption"_qs, [button] { return button->Caption; });
        if (properties & Enabled)
            addFlag(member + u".Enabled"_qs, &button->Enabled);
    }
}

void ControlRegistry::addListBox(const QString &name, ListBox *box, Action onChange)
{
    m_entries.append({[name, box] {
        QList<DumpLine> lines{{name, QString::number(box->ListIndex)}};
        for (int i = 0; i < box->List.size(); ++i)
            lines.append({name + u".List("_qs + QString::number(i) + u')', box->List.at(i)});
        return lines;
    }});
    addSetter(name, [box, onChange](const QString &v) {
        int index = box->List.indexOf(v);
        if (index < 0) {
            bool ok = false;
            index = v.trimmed().toInt(&ok);
            if (!ok || index < -1 || index >= box->List.size())
                return false;
        }
        box->ListIndex = index;
        if (onChange && index >= 0)
            onChange();
        return true;
    });
}

void ControlRegistry::addTabStrip(const QString &name, TabStrip *tabs)
{
    m_entries.append({[name, tabs] {
        QList<DumpLine> lines;
        for (int i = 0; i < tabs->Tabs(); ++i) {
            const QString index = u'(' + QString::number(i) + u')';
            lines.append({name + u".TabCaption"_qs + index, tabs->TabCaption.at(i)});
            lines.append({name + u".TabVisible"_qs + index, flag(tabs->TabVisible.at(i))});
        }
        return lines;
    }});
    for (int i = 0; i < tabs->Tabs(); ++i)
        addSetter(name + u".TabVisible("_qs + QString::number(i) + u')', [tabs, i](const QString &v) {
            bool on = false;
            if (!readFlag(v, &on))
                return false;
            tabs->TabVisible[i] = on;
            return true;
        });
}

void ControlRegistry::addLines(std::function<QList<DumpLine>()> producer)
{
    m_entries.append({std::move(producer)});
}

void ControlRegistry::addCustom(const QString &name, std::function<QString()> get,
                                std::function<bool(const QString &)> set)
{
    if (get)
        addLine(name, std::move(get), std::move(set));
    else if (set)
        addSetter(name, std::move(set));
}

QList<DumpLine> ControlRegistry::dump() const
{
    QList<DumpLine> all;
    for (const Entry &entry : m_entries)
        for (const DumpLine &line : entry.lines())
            all.append({line.first, escape(line.second)});
    return all;
}

ControlRegistry::SetResult ControlRegistry::set(const QString &name, const QString &value)
{
    const auto it = m_setters.constFind(name.trimmed().toLower());
    if (it == m_setters.constEnd())
        return SetResult::UnknownName;
    return (*it)(value) ? SetResult::Ok : SetResult::InvalidValue;
}

ControlRegistry::SetResult ControlRegistry::setAsText(const QString &name, const QString &value)
{
    return set(name, m_multiLine.contains(name.trimmed().toLower()) ? unescape(value) : value);
}

QString ControlRegistry::escape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\r')
            out += u"\\r"_qs;
        else if (c == u'\n')
            out += u"\\n"_qs;
        else
            out += c;
    }
    return out;
}

QString ControlRegistry::unescape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar n = value.at(i + 1);
            if (n == u'r' || n == u'n') {
                out += n == u'r' ? QChar(u'\r') : QChar(u'\n');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace qvl
