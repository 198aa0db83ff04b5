#include "tickets/AutoCompleteComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

// The customer box's type-ahead on a real editable drop-down box: keys as the keyboard
// delivers them, to the box or, once it is open, to its list.
class TestCashTicketAutoComplete : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        m_combo = new QComboBox(m_window.get());
        m_combo->setEditable(true);
        m_combo->addItems({"ACME FREIGHT", "ACME TRANSPORT", "BAKER"});
        m_combo->setCurrentIndex(-1);
        installAutoComplete(m_combo);
        m_other = new QLineEdit(m_window.get());
        layout->addWidget(m_combo);
        layout->addWidget(m_other);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_combo->setFocus(Qt::TabFocusReason);
    }
    void cleanup()
    {
        m_window.reset();
        m_combo = nullptr;
    }

    void typing_data()
    {
        QTest::addColumn<QString>("keys"); // "<" is Backspace, ">" Enter
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("listOpen");
        QTest::newRow("a letter completes the first entry, the rest selected") << "a"
                                                                               << "ACME FREIGHT"
                                                                               << "CME FREIGHT" << 12 << true;
        QTest::newRow("typing on moves to the entry that still matches") << "acme t"
                                                                         << "ACME TRANSPORT"
                                                                         << "RANSPORT" << 14 << true;
        QTest::newRow("Enter accepts the completion and closes the list") << "acme t>"
                                                                          << "ACME TRANSPORT"
                                                                          << "" << 14 << false;
        QTest::newRow("a letter no entry begins with stays with the caret after it") << "z"
                                                                                     << "z"
                                                                                     << "" << 1 << true;
        QTest::newRow("Backspace removes the completion only") << "ba<"
                                                               << "BA"
                                                               << "" << 2 << true;
        QTest::newRow("Backspace again removes a typed letter") << "ba<<"
                                                                << "B"
                                                                << "" << 1 << true;
    }
    void typing()
    {
        QFETCH(QString, keys);
        for (QChar c : keys) {
            if (c == u'<')
                press(Qt::Key_Backspace);
            else if (c == u'>')
                press(Qt::Key_Return);
            else
                QTest::keyClick(static_cast<QWidget *>(nullptr), c.toLatin1());
        }
        QLineEdit *edit = m_combo->lineEdit();
        QTEST(edit->text(), "text");
        QTEST(edit->selectedText(), "selected");
        QTEST(edit->cursorPosition(), "caret");
        QTEST(m_combo->view()->isVisible(), "listOpen");
        // Nothing typed ever becomes an entry of the list.
        QCOMPARE(m_combo->count(), 3);
    }

    void aLetterTypedMidTextGoesToTheEnd()
    {
        m_combo->lineEdit()->setText(QStringLiteral("XY"));
        m_combo->lineEdit()->setCursorPosition(1);
        QTest::keyClick(m_combo, 'z');
        QCOMPARE(m_combo->lineEdit()->text(), QStringLiteral("XYz"));
        QCOMPARE(m_combo->lineEdit()->cursorPosition(), 3);
    }

    void cancelledKeysLeaveTheText_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("listOpen"); // whether the list is open when the key comes
        QTest::newRow("Escape in the closed box") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
        QTest::newRow("Escape in the open list") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true;
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier) << false;
        QTest::newRow("Ctrl+V in the open list") << int(Qt::Key_V) << int(Qt::ControlModifier) << true;
        QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier) << false;
    }
    void cancelledKeysLeaveTheText()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, listOpen);
        QApplication::clipboard()->setText(QStringLiteral("PASTED"));
        QTest::keyClick(static_cast<QWidget *>(nullptr), 'b');
        if (!listOpen) {
            m_combo->hidePopup();
            m_combo->setFocus(Qt::OtherFocusReason);
        }
        QCOMPARE(m_combo->view()->isVisible(), listOpen);
        press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_combo->lineEdit()->text(), QStringLiteral("BAKER"));
        QCOMPARE(m_combo->count(), 3);
        // The list closes on Escape; nothing else closes it.
        QCOMPARE(m_combo->view()->isVisible(), listOpen && key != Qt::Key_Escape);
    }

    void arrowsInTheOpenListShowTheEntryInTheBox()
    {
        QTest::keyClick(static_cast<QWidget *>(nullptr), 'a');
        press(Qt::Key_Down);
        QCOMPARE(m_combo->lineEdit()->text(), QStringLiteral("ACME TRANSPORT"));
        press(Qt::Key_Return);
        QCOMPARE(m_combo->lineEdit()->text(), QStringLiteral("ACME TRANSPORT"));
        QVERIFY(!m_combo->view()->isVisible());
    }

    void tabInTheOpenListMovesOn()
    {
        QTest::keyClick(static_cast<QWidget *>(nullptr), 'b');
        QVERIFY(m_combo->view()->isVisible());
        press(Qt::Key_Tab);
        QVERIFY(!m_combo->view()->isVisible());
        QCOMPARE(QApplication::focusWidget(), m_other);
        QCOMPARE(m_combo->currentText(), QStringLiteral("BAKER"));
    }

    void theListAsItStandsNowIsSearched()
    {
        QCOMPARE(AutoCompleteComboBox(m_combo, 'b'), 0);
        QCOMPARE(m_combo->currentText(), QStringLiteral("BAKER"));
        m_combo->setEditText(QString());
        // A name put in before it, one taken out, then a list filled afresh.
        m_combo->insertItem(2, QStringLiteral("BAGGINS"));
        QCOMPARE(AutoCompleteComboBox(m_combo, 'b'), 0);
        QCOMPARE(m_combo->currentText(), QStringLiteral("BAGGINS"));
        m_combo->removeItem(2);
        m_combo->setEditText(QString());
        AutoCompleteComboBox(m_combo, 'b');
        QCOMPARE(m_combo->currentText(), QStringLiteral("BAKER"));
        m_combo->clear();
        m_combo->addItems({"CARTER", "BALL"});
        m_combo->setEditText(QString());
        AutoCompleteComboBox(m_combo, 'b');
        QCOMPARE(m_combo->currentText(), QStringLiteral("BALL"));
        m_combo->setItemText(1, QStringLiteral("BELL"));
        m_combo->setEditText(QString());
        AutoCompleteComboBox(m_combo, 'b');
        QCOMPARE(m_combo->currentText(), QStringLiteral("BELL"));
    }

    void theRoutineTakesAndGivesKeyCodes()
    {
        QCOMPARE(AutoCompleteComboBox(m_combo, 'b'), 0);
        QCOMPARE(m_combo->currentText(), QStringLiteral("BAKER"));
        QCOMPARE(AutoCompleteComboBox(m_combo, 13), 13);
        QCOMPARE(AutoCompleteComboBox(m_combo, 27), 0);
        QCOMPARE(m_combo->currentText(), QStringLiteral("BAKER"));
    }

    void aBoxThatCannotBeEditedGetsItsKeyBack()
    {
        QComboBox fixed;
        fixed.addItems({"ONE", "TWO"});
        QCOMPARE(AutoCompleteComboBox(&fixed, 't'), int('t'));
        QCOMPARE(AutoCompleteComboBox(&fixed, 8), 8);
        QCOMPARE(fixed.currentText(), QStringLiteral("ONE"));
    }

private:
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(static_cast<QWidget *>(nullptr), key, modifiers);
    }

    std::unique_ptr<QWidget> m_window;
    QComboBox *m_combo = nullptr;
    QLineEdit *m_other = nullptr;
};

QTEST_MAIN(TestCashTicketAutoComplete)
#include "tst_cashticketautocomplete.moc"
