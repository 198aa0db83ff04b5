#include "app/AmountField.h"

#include "app/Numbers.h"

#include <QFocusEvent>
#include <QSignalBlocker>

AmountField::AmountField(QWidget *parent) : AmountField(QString(), parent) {}

AmountField::AmountField(const QString &displayFormat, QWidget *parent) : QLineEdit(parent), m_format(displayFormat)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Typing edits the plain text directly; the program's own changes come through
    // setPlainText.
    connect(this, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text == m_plain)
            return;
        m_plain = text;
        emit plainTextChanged(m_plain);
    });
}

void AmountField::setPlainText(const QString &text)
{
    const bool changed = text != m_plain;
    m_plain = text;
    showText();
    if (changed)
        emit plainTextChanged(m_plain);
}

double AmountField::value() const { return Numbers::parseLeadingNumber(m_plain); }

void AmountField::setDisplayFormat(const QString &format)
{
    m_format = format;
    m_formattedValid = false;
    showText();
}

void AmountField::setDisplayOnly(bool displayOnly)
{
    setReadOnly(displayOnly);
    setFocusPolicy(displayOnly ? Qt::NoFocus : Qt::StrongFocus);
}

void AmountField::showText()
{
    if (!hasFocus() && !m_format.isEmpty() && (!m_formattedValid || m_formattedPlain != m_plain)) {
        m_formatted = Numbers::formatText(m_plain, m_format);
        m_formattedPlain = m_plain;
        m_formattedValid = true;
    }
    const QString &shown = hasFocus() || m_format.isEmpty() ? m_plain : m_formatted;
    if (shown != text()) {
        const QSignalBlocker blocker(this);
        setText(shown);
    }
    // The screen writes display-only fields, always as plain numbers.
    mark(m_marks && !hasFocus() && !isReadOnly() && !Numbers::readsWhole(m_plain));
}

void AmountField::setMarksPartialNumbers(bool marks)
{
    m_marks = marks;
    showText();
}

void AmountField::mark(bool marked)
{
    if (marked == m_marked && (!marked || toolTip() == QStringLiteral("read as ") + Numbers::plainText(value())))
        return;
    if (!m_marked)
        m_toolTip = toolTip();
    m_marked = marked;
    if (marked) {
        setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid #c62828; border-radius: 2px; padding: 0px 1px; }"));
        setToolTip(QStringLiteral("read as ") + Numbers::plainText(value()));
    } else {
        setStyleSheet(QString());
        setToolTip(m_toolTip);
    }
}

void AmountField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    showText();
    if (m_selectOnFocus) {
        selectAll();
    } else {
        deselect();
        end(false);
    }
}

void AmountField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    showText();
}
