#pragma once

#include <QLineEdit>

// An amount box: it holds a plain text (what was typed, or what the program put there)
// and shows it through its display format only while it does not have the focus. There
// is no input mask; the value is always read with Numbers::parseLeadingNumber.
//
// Use plainText()/setPlainText(), never QLineEdit::text()/setText(): the line edit's own
// text is what is on show. plainTextChanged is emitted for every change of the plain
// text, typed or set by the program, which is what the screens' change rules follow.
class AmountField : public QLineEdit
{
    Q_OBJECT
public:
    explicit AmountField(QWidget *parent = nullptr);
    AmountField(const QString &displayFormat, QWidget *parent = nullptr);

    QString plainText() const { return m_plain; }
    void setPlainText(const QString &text);
    // The number the field holds.
    double value() const;

    QString displayFormat() const { return m_format; }
    void setDisplayFormat(const QString &format);

    // A display-only field: written by the screen, never focused or typed into.
    void setDisplayOnly(bool displayOnly);

    // Whether the field is marked as reading less than it holds: while it has no focus,
    // a text that is not wholly a number ("1,234.56" reads 1, "$3.10" reads 0) shows a
    // red frame and the tooltip "read as 1", so the clerk sees it before saving.
    bool isMarked() const { return m_marked; }
    // Off for fields that show a text through a pattern but are not amounts (telephone
    // numbers keep whatever was typed).
    void setMarksPartialNumbers(bool marks);

    // Whether gaining the focus selects the whole text (off by default: the cursor goes
    // to the end, whatever way the focus came).
    void setSelectOnFocus(bool select) { m_selectOnFocus = select; }

    // The display patterns the screens use.
    static QString moneyFormat() { return QStringLiteral("$#,##0.00;($#,##0.00)"); }
    static QString gallonsFormat() { return QStringLiteral("#,##0.000;(#,##0.000)"); }
    static QString priceFormat() { return QStringLiteral("$#,##0.000;($#,##0.000)"); }

signals:
    void plainTextChanged(const QString &text);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showText();

    void mark(bool marked);

    QString m_plain;
    QString m_format;
    // The last plain text formatted and how it looked: a field set again to what it holds
    // (every clear of a ticket does so to most of its lines) is not formatted again.
    QString m_formattedPlain;
    QString m_formatted;
    bool m_formattedValid = false;
    bool m_selectOnFocus = false;
    bool m_marked = false;
    bool m_marks = true;
    QString m_toolTip;
};
