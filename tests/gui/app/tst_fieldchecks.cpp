// The screen kit's rules for what a clerk types and pastes: a text box never takes more
// than its width or a control character, and says so when a paste is refused; an amount
// field that reads less than it holds is marked.

#include "app/AmountField.h"
#include "app/FieldChecks.h"
#include "app/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

class tst_FieldChecks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void paste_data();
    void paste();
    void typingStopsAtTheWidth();
    void controlCharactersAreNotTyped();
    void checkBeforeSaveNamesTheField();
    void amountFieldMarksPartialReadings_data();
    void amountFieldMarksPartialReadings();

private:
    std::unique_ptr<QWidget> m_screen;
    QLineEdit *m_box = nullptr;
    AmountField *m_amount = nullptr;
};

void tst_FieldChecks::init()
{
    MessageBox::startRecording();
    m_screen = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_screen.get());
    m_box = new QLineEdit(m_screen.get());
    m_amount = new AmountField(AmountField::moneyFormat(), m_screen.get());
    layout->addWidget(m_box);
    layout->addWidget(m_amount);
    TextRule::apply(m_box, 10, QStringLiteral("Clerk ID"));
    m_screen->show();
    QApplication::setActiveWindow(m_screen.get());
    QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
    m_box->setFocus();
}

void tst_FieldChecks::cleanup()
{
    m_screen.reset();
    MessageBox::stopRecording();
}

void tst_FieldChecks::paste_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    const QString tooLong = QStringLiteral("Clerk ID holds at most 10 characters. Nothing was pasted.");
    const QString control =
        QStringLiteral("Clerk ID cannot hold tabs, line breaks or other control characters. Nothing was pasted.");
    QTest::newRow("a paste that fits is taken") << "AB"
                                                << "O'NEIL"
                                                << "ABO'NEIL"
                                                << "";
    QTest::newRow("a paste to exactly the width is taken") << "12345"
                                                           << "67890"
                                                           << "1234567890"
                                                           << "";
    QTest::newRow("a paste one past the width is refused whole") << "12345"
                                                                 << "678901"
                                                                 << "12345" << tooLong;
    QTest::newRow("a 40,000-character paste is refused, not cut") << "" << QString(40000, u'x') << "" << tooLong;
    QTest::newRow("a NUL is refused") << "" << QString::fromUtf16(u"A\u0000B", 3) << "" << control;
    QTest::newRow("a pasted line break is refused") << ""
                                                    << "BETH\n"
                                                    << "" << control;
}

void tst_FieldChecks::paste()
{
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    QFETCH(QString, message);
    m_box->setText(before);
    m_box->end(false);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(m_box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_box->text(), after);
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(shown.first().text, message);
        QCOMPARE(shown.first().title, QStringLiteral("Text Not Pasted"));
    }
}

void tst_FieldChecks::typingStopsAtTheWidth()
{
    QTest::keyClicks(m_box, QStringLiteral("ABCDEFGHIJKLMN"));
    QCOMPARE(m_box->text(), QStringLiteral("ABCDEFGHIJ"));
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void tst_FieldChecks::controlCharactersAreNotTyped()
{
    // A key whose text is a control character, as a card reader or a remote keyboard
    // may send one; QTest cannot type these itself.
    auto typeText = [this](const QString &text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(m_box, &press);
    };
    typeText(QStringLiteral("A"));
    typeText(QString(QChar(0)));
    typeText(QStringLiteral("B"));
    typeText(QStringLiteral("\x1b"));
    typeText(QStringLiteral("C\x01"));
    QCOMPARE(m_box->text(), QStringLiteral("AB"));
}

void tst_FieldChecks::checkBeforeSaveNamesTheField()
{
    QVERIFY(TextRule::checkBeforeSave(m_screen.get(), {m_box}));
    m_amount->setFocus();
    m_box->setText(QString(11, u'x')); // as a stored row may hold it
    QVERIFY(!TextRule::checkBeforeSave(m_screen.get(), {m_box}));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, QStringLiteral("Clerk ID holds at most 10 characters."));
    QCOMPARE(QApplication::focusWidget(), m_box);
}

void tst_FieldChecks::amountFieldMarksPartialReadings_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("a plain amount") << "1234.56" << false << "";
    QTest::newRow("an empty field") << "" << false << "";
    QTest::newRow("grouping reads 1") << "1,234.56" << true << "read as 1";
    QTest::newRow("a currency sign reads 0") << "$3.10" << true << "read as 0";
    QTest::newRow("a sign alone") << "-" << true << "read as 0";
}

void tst_FieldChecks::amountFieldMarksPartialReadings()
{
    QFETCH(QString, typed);
    QFETCH(bool, marked);
    QFETCH(QString, toolTip);
    m_amount->setFocus();
    QTest::keyClicks(m_amount, typed);
    QVERIFY(!m_amount->isMarked()); // never while the clerk is typing
    m_box->setFocus();
    QCOMPARE(m_amount->isMarked(), marked);
    QCOMPARE(m_amount->toolTip(), toolTip);
    // The reading rule itself stays.
    QCOMPARE(m_amount->value(), toolTip.isEmpty() ? typed.toDouble() : toolTip.mid(8).toDouble());
}

QTEST_MAIN(tst_FieldChecks)
#include "tst_fieldchecks.moc"
