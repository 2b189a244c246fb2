// The tool's records against the simulated gateway's own model of them, in
// process: every record a run reads, for each firmware's layout, holds what
// the gateway holds, and every record written comes back as the tool meant.

#include "GatewayModel.h"

#include "core/ConfigLayout.h"
#include "core/Firmware.h"
#include "core/Frame.h"
#include "core/Records.h"
#include "core/WorkingFile.h"

#include <QtTest>

namespace {

// What the model holds for the record, by the tool's keys.
IniValues heldBy(const GatewaySim::Gateway &gateway, const RecordId &id, int points)
{
    const auto text = [](const QByteArray &bytes) { return QString::fromLatin1(bytes); };
    switch (id.kind) {
    case RecordKind::Points: {
        IniValues values;
        for (int k = 1; k <= points; ++k)
            values.append({ConfigLayout::pointKey(k, false), text(gateway.quality[id.number][k - 1])});
        for (int k = 1; k <= points; ++k)
            values.append({ConfigLayout::pointKey(k, true), text(gateway.edv[id.number][k - 1])});
        return values;
    }
    case RecordKind::Product:
        return {{ConfigLayout::productQualityKey(), text(gateway.productQuality[id.number])},
                {ConfigLayout::productNameKey(), text(gateway.productName[id.number])}};
    case RecordKind::Printer:
        return {{ConfigLayout::printerModelKey(), text(gateway.printerModel)},
                {ConfigLayout::printerHeaderKey(), text(gateway.printerHead)}};
    case RecordKind::Interface: {
        IniValues values;
        const QStringList keys = ConfigLayout::keys(RecordKind::Interface);
        for (int i = 0; i < keys.size(); ++i)
            values.append({keys.at(i), text(gateway.interface.mid(i, 1))});
        return values;
    }
    }
    return {};
}

} // namespace

class TestSimulatedGateway : public QObject
{
    Q_OBJECT

private slots:
    void everyRecordReadAndWritten_data()
    {
        QTest::addColumn<int>("firmware");
        for (const int firmware : {106, 208, 310, 311})
            QTest::newRow(qPrintable(QString::number(firmware))) << firmware;
    }
    void everyRecordReadAndWritten()
    {
        QFETCH(int, firmware);
        GatewaySim::Gateway gateway;
        gateway.firmware = firmware;
        const FirmwareFeatures features = FeaturesForVersion(firmware);
        // The values of a new file differ from the gateway's everywhere.
        const WorkingFile::Snapshot file = WorkingFile::held(DefaultIniContent()).snapshot();
        const auto parsed = [&features](const QByteArray &reply, Record *record) {
            return Record::fromReply(BuildRequestFrame(reply) + "\r\n", features, record);
        };
        for (const RecordId &id : ConfigLayout::records(features)) {
            const QString section = ConfigLayout::section(id);
            Record read;
            QCOMPARE(parsed(gateway.answer(ReadRequest(id)), &read), Record::Reply::Valid);
            QVERIFY2(read.id() == id, qPrintable(section));
            QVERIFY2(read.badField.isNull(), qPrintable(section));
            QCOMPARE(read.values, heldBy(gateway, id, ConfigLayout::pointCount(features)));

            const Record sent = Record::fromFile(file, id, features);
            QVERIFY2(sent.problems().isEmpty(), qPrintable(section));
            QVERIFY2(!sent.differencesTo(read).isEmpty(), qPrintable(section));
            const QByteArray request = sent.toRequest();
            gateway.store(request);
            Record echo;
            QCOMPARE(parsed(gateway.answer(request), &echo), Record::Reply::Valid);
            const QList<ValueDifference> differences = sent.differencesTo(echo);
            QVERIFY2(differences.isEmpty(), qPrintable(section + u' ' + (differences.isEmpty() ? QString() : differences.first().key)));
            Record again;
            QCOMPARE(parsed(gateway.answer(ReadRequest(id)), &again), Record::Reply::Valid);
            QCOMPARE(again.values, echo.values);
            QCOMPARE(again.values, heldBy(gateway, id, ConfigLayout::pointCount(features)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSimulatedGateway)
#include "tst_simulatedgateway.moc"
