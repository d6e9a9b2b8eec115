#include "panes/FieldBinding.h"

#include "document/FeedDocument.h"
#include "panes/EditTracker.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

FieldBinding::FieldBinding(FeedDocument *document, EditTracker *tracker, QWidget *container,
                           FieldScope scope, ItemOf itemOf)
    : QObject(container), m_document(document), m_tracker(tracker), m_container(container),
      m_scope(scope), m_itemOf(std::move(itemOf))
{
    connect(m_document, &FeedDocument::fieldChanged, this, &FieldBinding::fieldChanged);
}

void FieldBinding::bind(const QList<FeedField> &table, const QList<FieldSummary> &summaries)
{
    for (const FeedField &row : table) {
        if (row.scope != m_scope || m_byOutlet.contains(row.outlet))
            continue;
        auto *control = m_container->findChild<QWidget *>(row.outlet);
        if (!control)
            continue;
        m_byOutlet.insert(row.outlet, int(m_bound.size()));
        m_bound.append({&row, control});
        follow(m_bound.last());
    }
    for (const FieldSummary &summary : summaries) {
        auto *control = m_container->findChild<QWidget *>(summary.outlet);
        if (!control)
            continue;
        m_summaries.append({summary, control});
        // The summary follows every keystroke of its members.
        for (const QString &member : summary.members) {
            auto *memberControl = m_container->findChild<QWidget *>(member);
            if (auto *line = qobject_cast<QLineEdit *>(memberControl))
                connect(line, &QLineEdit::textChanged, this,
                        [this, member] { updateSummariesOf(member); });
            else if (auto *box = qobject_cast<QAbstractButton *>(memberControl))
                connect(box, &QAbstractButton::toggled, this,
                        [this, member] { updateSummariesOf(member); });
        }
    }
}

void FieldBinding::follow(const Bound &bound)
{
    const FeedField *field = bound.field;
    if (auto *choice = qobject_cast<QComboBox *>(bound.control.data())) {
        connect(choice, QOverload<int>::of(&QComboBox::activated), this,
                [this, bound](int index) { commitChoice(bound, index); });
        return;
    }
    auto check = [this, field](QWidget *control, const QString &proposed) {
        const QString text = field->kind == FieldKind::Text ? proposed : proposed.trimmed();
        if (!field->check)
            return text;
        return field->check(FieldCheckContext {*m_document, control, item()}, text);
    };
    auto commit = [this, field](QWidget *control, const QString &start, const QString &text) {
        const int row = item();
        if (field->isItemScoped() && !m_document->item(row))
            return; // no item to write into
        if (!field->write) {
            if (m_ownCommit)
                m_ownCommit(*field, control, start, text);
            return;
        }
        if (m_document->editField(*field, row, text) && m_afterCommit)
            m_afterCommit(*field, text);
    };
    m_tracker->track(bound.control, check, commit);
}

void FieldBinding::commitChoice(const Bound &bound, int index)
{
    auto *choice = qobject_cast<QComboBox *>(bound.control.data());
    if (!choice)
        return;
    const QVariant data = choice->itemData(index);
    const QString value = data.isValid() ? data.toString() : choice->itemText(index);
    if (m_document->editField(*bound.field, item(), value) && m_afterCommit)
        m_afterCommit(*bound.field, value);
}

void FieldBinding::show(const Bound &bound)
{
    if (!bound.control)
        return;
    const QString value = m_document->value(*bound.field, item());
    if (auto *choice = qobject_cast<QComboBox *>(bound.control.data())) {
        int index = choice->findData(value);
        if (index < 0 && !value.isEmpty())
            index = choice->findText(value);
        choice->setCurrentIndex(value.isEmpty() ? -1 : index);
        return;
    }
    m_tracker->setDisplayedText(bound.control, value);
}

void FieldBinding::load()
{
    for (const Bound &bound : std::as_const(m_bound))
        show(bound);
    updateSummaries();
}

void FieldBinding::refresh(const QString &outlet)
{
    const auto found = m_byOutlet.constFind(outlet);
    if (found == m_byOutlet.cend())
        return;
    show(m_bound[*found]);
    updateSummariesOf(outlet);
}

void FieldBinding::fieldChanged(FieldScope scope, int changedItem, const QString &outlet)
{
    if (scope != m_scope || (scope == FieldScope::Item && changedItem != item()))
        return;
    refresh(outlet);
}

void FieldBinding::updateSummaries()
{
    for (const Summary &summary : std::as_const(m_summaries))
        updateSummary(summary);
}

void FieldBinding::updateSummariesOf(const QString &member)
{
    for (const Summary &summary : std::as_const(m_summaries)) {
        if (summary.summary.members.contains(member))
            updateSummary(summary);
    }
}

void FieldBinding::updateSummary(const Summary &summary)
{
    if (!summary.control || !m_container)
        return;
    QStringList texts;
    for (const QString &member : summary.summary.members)
        texts << textOf(m_container->findChild<QWidget *>(member));
    m_tracker->setDisplayedText(summary.control, summary.summary.build(texts));
}

QWidget *FieldBinding::control(const QString &outlet) const
{
    const auto found = m_byOutlet.constFind(outlet);
    return found == m_byOutlet.cend() ? nullptr : m_bound[*found].control.data();
}

const FeedField *FieldBinding::field(const QString &outlet) const
{
    const auto found = m_byOutlet.constFind(outlet);
    return found == m_byOutlet.cend() ? nullptr : m_bound[*found].field;
}

QList<const FeedField *> FieldBinding::fields() const
{
    QList<const FeedField *> all;
    for (const Bound &bound : m_bound)
        all << bound.field;
    return all;
}

QString FieldBinding::textOf(const QWidget *control)
{
    if (const auto *box = qobject_cast<const QAbstractButton *>(control))
        return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return EditTracker::textOf(control);
}
