#include <QtTest>
class TestErrorTexts : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestErrorTexts)
#include "tst_errortexts.moc"
