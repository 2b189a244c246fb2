// The rows of words: every identifier has words in each language, and the
// languages take the same particulars.

#include "texts/Words.h"

#include <QRegularExpression>
#include <QtTest>

class TestWords : public QObject
{
    Q_OBJECT
private slots:
    // A translation that drops or adds a placeholder would show a raw "%2"
    // or lose a file name in one language only.
    void everyRowHasBothLanguagesWithTheSamePlaceholders()
    {
        static const QRegularExpression placeholder(QStringLiteral("%\\d"));
        const auto placeholders = [](const QString &text) {
            QStringList found;
            for (auto it = placeholder.globalMatch(text); it.hasNext();)
                found << it.next().captured();
            found.sort();
            return found;
        };
        for (int i = 0; i < int(Words::Count); ++i) {
            const QString german = Word(Words(i), Language::German);
            const QString english = Word(Words(i), Language::English);
            QVERIFY2(!german.isEmpty() && !english.isEmpty(), qPrintable(QString::number(i)));
            QCOMPARE(placeholders(german), placeholders(english));
        }
    }
};

QTEST_GUILESS_MAIN(TestWords)
#include "tst_words.moc"
