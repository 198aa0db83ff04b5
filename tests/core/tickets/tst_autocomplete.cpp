#include "tickets/AutoComplete.h"

#include <QTest>

using AutoComplete::EditState;

Q_DECLARE_METATYPE(EditState)

namespace {

const QStringList kEntries = {QStringLiteral("ACME FREIGHT"), QStringLiteral("ACME TRANSPORT"), QStringLiteral("BAKER")};

// Keys as a clerk types them: "\b" is Backspace, "\r" Enter, "\x1b" Escape, "\x16" the
// paste shortcut; every other character types itself.
QList<QString> keysOf(const QString &typing)
{
    QList<QString> keys;
    for (QChar c : typing)
        keys << QString(c);
    return keys;
}

} // namespace

// The type-ahead rules of the cash ticket's customer box, without a widget.
class TestAutoComplete : public QObject
{
    Q_OBJECT

private slots:
    void typing_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<EditState>("start");
        QTest::addColumn<QString>("typing");
        QTest::addColumn<EditState>("after");
        QTest::addColumn<int>("lastKey");
        QTest::addColumn<bool>("listOpened");

        const EditState empty;
        QTest::newRow("a letter in an empty box completes the first entry with the rest selected")
            << kEntries << empty << "a" << EditState{"ACME FREIGHT", 1, 11} << 0 << true;
        QTest::newRow("typing on over the completion moves to the entry that still matches")
            << kEntries << empty << "acme t" << EditState{"ACME TRANSPORT", 6, 8} << 0 << true;
        QTest::newRow("Enter accepts the completion with the caret at its end")
            << kEntries << empty << "acme t\r" << EditState{"ACME TRANSPORT", 14, 0} << 13 << true;
        QTest::newRow("a letter no entry begins with stays as typed with the caret after it")
            << kEntries << empty << "z" << EditState{"z", 1, 0} << 0 << true;
        QTest::newRow("typing past every entry keeps the completed spelling and adds the letter")
            << kEntries << empty << "acmex" << EditState{"ACMEx", 5, 0} << 0 << true;
        QTest::newRow("Backspace takes away a selected completion only")
            << kEntries << empty << "ac\b" << EditState{"AC", 2, 0} << 0 << true;
        QTest::newRow("a second Backspace takes the last typed letter")
            << kEntries << empty << "ac\b\b" << EditState{"A", 1, 0} << 0 << true;
        QTest::newRow("Backspace in an empty box leaves it empty")
            << kEntries << empty << "\b" << EditState{"", 0, 0} << 0 << false;
        QTest::newRow("a letter typed mid-text with nothing selected goes to the end")
            << kEntries << EditState{"XY", 1, 0} << "z" << EditState{"XYz", 3, 0} << 0 << true;
        QTest::newRow("a letter typed mid-text that then matches completes from the whole text")
            << kEntries << EditState{"BA", 0, 0} << "k" << EditState{"BAKER", 3, 2} << 0 << true;
        QTest::newRow("a letter over a selection in the middle drops the selection and what follows it")
            << kEntries << EditState{"ACME FREIGHT", 2, 3} << "x" << EditState{"ACx", 3, 0} << 0 << true;
        QTest::newRow("Backspace over a selection in the middle keeps only what stands before it")
            << kEntries << EditState{"ACME FREIGHT", 2, 3} << "\b" << EditState{"AC", 2, 0} << 0 << false;
        QTest::newRow("Escape leaves the text and drops the selection")
            << kEntries << EditState{"ACME FREIGHT", 1, 11} << "\x1b" << EditState{"ACME FREIGHT", 1, 0} << 0 << false;
        QTest::newRow("the paste shortcut leaves the text")
            << kEntries << EditState{"BA", 2, 0} << "\x16" << EditState{"BA", 2, 0} << 0 << false;
        QTest::newRow("copy and cut are cancelled too")
            << kEntries << EditState{"BAKER", 0, 5} << "\x03\x18" << EditState{"BAKER", 0, 0} << 0 << false;
        QTest::newRow("the list is searched from the top, so the shorter name that comes first wins")
            << QStringList{"BAKER", "ACME", "ACME FREIGHT"} << empty << "acme" << EditState{"ACME", 4, 0} << 0 << true;
        QTest::newRow("an empty list completes nothing") << QStringList{} << empty << "ab" << EditState{"ab", 2, 0} << 0 << true;
        QTest::newRow("an apostrophe is a letter like any other")
            << QStringList{"O'NEIL TRUCKING"} << empty << "o'n" << EditState{"O'NEIL TRUCKING", 3, 12} << 0 << true;
    }
    void typing()
    {
        QFETCH(QStringList, entries);
        QFETCH(EditState, start);
        QFETCH(QString, typing);
        EditState state = start;
        std::optional<AutoComplete::Outcome> last;
        bool opened = false;
        for (const QString &key : keysOf(typing)) {
            last = AutoComplete::press(state, key, entries);
            QVERIFY2(last, qPrintable(QStringLiteral("the rules failed on key %1").arg(int(key.front().unicode()))));
            state = last->state;
            opened = opened || last->openList;
        }
        QTEST(state, "after");
        QTEST(int(last->key), "lastKey");
        QTEST(opened, "listOpened");
    }

    void completionNamesTheEntryAndWhatWasTyped()
    {
        const auto out = AutoComplete::press({"acme ", 5, 0}, u"t", kEntries);
        QVERIFY(out);
        QCOMPARE(out->entry, std::optional<qsizetype>(1));
        QCOMPARE(out->typed, QStringLiteral("acme t"));
        const auto none = AutoComplete::press({}, u"q", kEntries);
        QVERIFY(none && !none->entry);
    }

    void searchGoingOnFromTheLastFindFindsWhatAFullSearchFinds()
    {
        // Names in no order a search could rely on, some alike but for case.
        const QStringList names = {"ZED", "acme", "ACME FREIGHT", "Baker", "acme transport", "BAKERY", "a", "Zoo", "b"};
        AutoComplete::EntrySearch search;
        search.setEntries(names);
        const QStringList typings = {"a", "ac",  "acm",  "acme ", "acme t", "acme f",  "ac", "z", "zo", "zoo", "zooo", "zo",
                                     "b", "bak", "bake", "baker", "bakery", "bakerys", "",   "x", "xa", "A",   "Acme"};
        for (const QString &typed : typings)
            QCOMPARE(search.first(typed), AutoComplete::firstStartingWith(search.entries(), typed));
        // Entries coming and going start the search afresh.
        search.first(QStringLiteral("ba"));
        search.insert(0, {"BA"});
        QCOMPARE(search.first(QStringLiteral("bak")), std::optional<qsizetype>(4));
        QCOMPARE(search.first(QStringLiteral("ba")), std::optional<qsizetype>(0));
        search.remove(0, 1);
        QCOMPARE(search.first(QStringLiteral("ba")), std::optional<qsizetype>(3));
    }

    void aStateNoBoxCanHoldIsLeftToTheBox_data()
    {
        QTest::addColumn<EditState>("state");
        QTest::addColumn<QString>("key");
        QTest::newRow("caret past the end") << EditState{"AB", 3, 0} << "x";
        QTest::newRow("selection past the end") << EditState{"AB", 1, 2} << "\b";
        QTest::newRow("negative caret") << EditState{"AB", -1, 0} << "x";
        QTest::newRow("a key without text") << EditState{"AB", 2, 0} << "";
    }
    void aStateNoBoxCanHoldIsLeftToTheBox()
    {
        QFETCH(EditState, state);
        QFETCH(QString, key);
        QVERIFY(!AutoComplete::press(state, key, kEntries));
    }
};

QTEST_APPLESS_MAIN(TestAutoComplete)
#include "tst_autocomplete.moc"
