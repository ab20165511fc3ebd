#include "MonitorRig.h"

#include <QRegularExpression>
#include <QTest>

namespace {
// A channel reply: number at 2-4, eight frequency digits at 7-14, flags at 20, 23 and 29.
QString ch(const char* chan, const char* freq, char flag = 'F') {
    return QStringLiteral("C%1  %2     %3  %3     %3").arg(QLatin1String(chan), QLatin1String(freq), QChar(flag));
}

// What a scenario expects to see: a display field's text, or one of the named observations.
QString observe(MonitorRig& rig, const QString& key) {
    const QString field = key.section(QLatin1Char(':'), 1);
    if (key == QLatin1String("sent"))
        return rig.transport->writtenLines().join(QLatin1Char('|'));
    if (key == QLatin1String("log"))
        return rig.log.lines.join(QLatin1Char('|'));
    if (key == QLatin1String("remote"))
        return rig.remote.sent.join(QLatin1Char('|'));
    if (key == QLatin1String("lookups"))
        return rig.lookups.calls.join(QLatin1Char('|'));
    if (key == QLatin1String("talkgroup"))
        return rig.state.gTalkgroupId;
    if (key == QLatin1String("lit"))
        return rig.boxes('L');
    if (key == QLatin1String("numbers"))
        return rig.boxes('#');
    if (key.startsWith(QLatin1String("align:")))
        return QString::number(int(rig.display.alignment(field)));
    if (key.startsWith(QLatin1String("aux:")))
        return rig.aux.text(field);
    return rig.display.hasField(key) ? rig.text(key) : QStringLiteral("(no field %1)").arg(key);
}
} // namespace

class TestStatusParser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replies_data();
    void replies();
};

// Steps: "mode:reply" feeds a reply in that mode (0 scan, 1 manual, 2 search, 3 search hold, 9 trunk,
// 10 trunk hold, 11 ID scan, 12 ID hold); "@time" sets the clock; "field=text" sets a display field
// ("aux:field" on the aux display), "auxOpen=1" opens the aux window and "keyEntry=digits" types digits.
// Expected: "key=value", checked after the last step with observe().
void TestStatusParser::replies_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    const auto pro = [](const char* name, const QStringList& steps, const QStringList& expected) {
        QTest::newRow(name) << int(ScannerModel::Pro2052) << steps << expected;
    };
    const QString tags = QStringLiteral("aux:Text2(3)=CITY PD;aux:Text2(4)=DISPATCH");
    const QString trunkShown = QStringLiteral("tbfreq=1234;tbTRUNKTYPE=MOT2;tbModMode=NFM;tbDELAY=on;tbDATA=on");

    // Scan: channel replies, one query per transmission, the log line at the end of a stop.
    pro("scan 000 is channel 1000 in bank 20", {"0:" + ch("000", "01542500")},
        {"tbChan=1000", "lit=20", "tbfreq=154.2500", "remote=154.2500\r", "sent=RM|SB", "lookups="});
    pro("scan 050 is in bank 1", {"0:" + ch("050", "12400000")}, {"lit=1", "tbfreq=1240.0000"});
    pro("scan plus while idle asks the channel", {"0:+"}, {"sent=MA"});
    pro("scan second plus while showing sends nothing", {"0:" + ch("012", "01542500"), "0:+", "0:+"}, {"sent=RM|SB"});
    pro("scan minus while idle writes nothing", {"0:-", "0:-"}, {"sent=", "log=", "remote="});
    pro("scan end, aux open: tags from it",
        QStringList{"auxOpen=1"} + tags.split(';') +
            QStringList{"0:+", "0:" + ch("012", "01542500"), "0:RM NFM", "0:-", "0:-"},
        {"log=scan,012,154.2500,NFM,CITY PD,DISPATCH", "lookups=channel 154.2500", "sent=MA|RM|SB", "tbfreq= SCAN  ",
         "tbModMode=", "tbChan=", "lit=", "remote=154.2500\r|\r"});
    pro("scan end, aux closed: empty tags", tags.split(';') + QStringList{"0:" + ch("012", "01542500"), "0:-"},
        {"log=scan,012,154.2500,,,", "lookups="});

    // Channel flags: N on, F off, anything else ERR.
    pro("scan flags on", {"0:" + ch("012", "01542500", 'N')}, {"tbDELAY=DELAY", "tbLOCKOUT=L/O", "tbPRI=PRI"});
    pro("scan flags off", {"tbDELAY=x", "0:" + ch("012", "01542500")}, {"tbDELAY=", "tbLOCKOUT=", "tbPRI="});
    pro("scan odd flags", {"0:" + ch("012", "01542500", 'X')}, {"tbDELAY=ERR", "tbLOCKOUT=ERR", "tbPRI=ERR"});
    pro("manual odd flags", {"1:" + ch("012", "01542500", '?')}, {"tbDELAY=ERR", "tbLOCKOUT=ERR", "tbPRI=ERR"});

    // Manual: typed digits stay on the main line, the channel fields keep the earlier channel.
    pro("manual 005 shows as 5", {"0:SB ABCDT", "tbChan=7", "1:" + ch("005", "01542500")},
        {"tbChan=5", "tbfreq=154.2500", "numbers=1", "remote=154.2500\r", "sent="});
    pro("manual 000 shows as 1000 in bank 20", {"1:" + ch("000", "01542500")}, {"tbChan=1000", "numbers=20"});
    pro("manual typed 15 shown, channel kept",
        {"1:" + ch("007", "01542500"), "keyEntry=15", "1:" + ch("051", "01542500")},
        {"tbChan=7", "tbfreq=15", "numbers=1", "remote=154.2500\r"});

    // Search: a hit keeps the whole fraction, a held search drops a trailing zero; short lines re-ask when held.
    pro("search hit keeps every digit", {"2:WI    0045325012"}, {"tbfreq=45.325012", "sent=", "remote="});
    pro("search hit below 1 MHz", {"2:WI    00002500"}, {"tbfreq=.2500"});
    pro("held short line", {"3:WI    015425"}, {"tbfreq=154.25", "remote=154.25\r"});
    pro("held short fraction to client", {"3:WI    01542500"}, {"tbfreq=154.250", "remote=154.250\r"});
    pro("held fourth digit kept", {"3:WI    01542525"}, {"tbfreq=154.2525", "remote=154.2525\r"});
    pro("search ten characters show nothing", {"tbfreq=keep", "2:WI    0154"}, {"tbfreq=keep", "sent="});
    pro("held ten characters ask again", {"tbfreq=keep", "3:WI    0154"}, {"tbfreq=keep", "sent=WI"});
    pro("search only zeros", {"tbfreq=keep", "2:WI    00000000"}, {"tbfreq=keep"});
    // The log writer gets both ends as seconds since midnight; it measures a hold across midnight.
    pro("search hold start rounds up",
        {"@12:00:00.600", "2:+", "2:+", "2:RM NFM", "2:WI    01542500", "2:DSN", "@12:00:10", "2:-", "2:-"},
        {"log=search,43201,43210,154.2500,NFM,NORMAL", "sent=RM|WI", "tbfreq= SEARCH ", "tbDATA="});
    pro("search hold across midnight", {"@23:59:58", "2:+", "2:WI    01542500", "@00:00:03", "2:-"},
        {"log=search,86398,3,154.2500,,NORMAL"});
    pro("search hold shows its start", {"Text3=shown", "@12:00:05", "2:+", "2:DSN"}, {"Text3=43205", "tbDATA=DATA"});

    // A modulation reply fills only an empty field; its alignment tells the modulation.
    pro("modulation AM left", {"tbModMode=", "0:RM AM"}, {"tbModMode=AM", "align:tbModMode=1"});
    pro("modulation NFM centred", {"0:RM AM", "tbModMode=", "0:RM NFM"}, {"tbModMode=NFM", "align:tbModMode=4"});
    pro("modulation WFM right", {"0:RM WFM"}, {"tbModMode=WFM", "align:tbModMode=2"});
    pro("modulation already showing", {"tbModMode=AM", "0:RM WFM"}, {"tbModMode=AM", "align:tbModMode=4"});
    pro("not a modulation reply", {"0:RX NFM"}, {"tbModMode="});

    // Trunk calls: a long line puts the ID in the channel field, a short one on the main line.
    pro("trunk long line", {"auxOpen=1", "tbModMode=NFM", "9:ID S 001234 08515625"},
        {"tbChan=1234", "tbfreq=851.5625", "lookups=talkgroup 1234", "tbModMode=", "sent=RM|TB|DL"});
    pro("trunk short line", {"tbChan=keep", "9:ID S 12  "}, {"tbChan=keep", "tbfreq=12", "talkgroup=12", "lookups="});
    pro("trunk all-zero ID and frequency", {"tbChan=keep", "tbfreq=keep", "9:ID S 000000 00000000"},
        {"tbChan=keep", "tbfreq=keep", "sent=RM|TB|DL"});
    pro("mode 13 reads like trunk", {"13:ID S 000042 00453250"}, {"tbChan=42", "tbfreq=45.3250"});
    pro("trunk end of call logs", (tags + ";auxOpen=1;" + trunkShown + ";9:ID E").split(';'),
        {"log=trunk,1234,MOT2,NFM,CITY PD,DISPATCH", "tbfreq=    -- --- "});
    pro("trunk ID scan list", {"9:IS AC"}, {"numbers=1,3"});
    pro("trunk hold end of call logs", (tags + ";auxOpen=1;" + trunkShown + ";10:ID E").split(';'),
        {"log=trunk,1234,MOT2,NFM,CITY PD,DISPATCH", "tbfreq=1234"});
    pro("trunk hold other status ignored", {"tbfreq=1234", "10:ID X 005678"}, {"tbfreq=1234", "sent="});
    // The hold picture is refreshed only when the ID bank letter changes; typed digits stay.
    pro("trunk hold first call", {"10:ID S 123456"}, {"tbHOLD=HOLD", "tbfreq=123456", "sent=RM|TB|DL"});
    pro("trunk hold same ID bank", {"10:ID S 001234", "tbHOLD=keep", "10:ID S 012345"},
        {"tbHOLD=keep", "tbfreq=12345"});
    pro("trunk hold call with its frequency", {"auxOpen=1", "10:ID S 001234 08510125"},
        {"tbfreq=1234 08510125", "talkgroup=1234", "lookups=talkgroup 1234"});
    pro("trunk hold typed digits stay", {"keyEntry=42", "tbfreq=42", "10:ID S 005678"},
        {"tbfreq=42", "talkgroup=5678"});

    // ID scan and ID hold.
    pro("id scan channel", {"11:IC C05"}, {"lit=3", "tbChan=05", "sent="});
    pro("id scan call", {"auxOpen=1", "11:IC C05", "11:ID S 001234"},
        {"lit=", "sent=IC|RM|TB|DL|IS", "tbfreq=1234", "tbBank=LIST", "lookups=talkgroup 1234"});
    pro("id scan end of call", {"11:IC C05", "11:ID S 001234", "11:IC C05", "11:ID E"},
        {"log=trunk,1234, TRUNK ,,,", "sent=IC|RM|TB|DL|IS|IS", "tbfreq=Id SCAN", "lit="});
    pro("id hold bank T", {"12:IC T100001234"}, {"tbChan=10", "tbfreq=1234", "lit=20"});
    pro("id hold delay reply ignored", {"tbDELAY=on", "12:DLN"}, {"tbDELAY=on"});
    pro("id hold end of call", {"12:IC B0300123", "12:ID E"}, {"lit=", "log=trunk,123,,,,"});
    pro("id hold next call", {"12:IC B0300123", "12:ID E", "12:ID S 004321"},
        {"sent=IS|RM|TB|IS", "tbfreq=4321", "tbHOLD=HOLD"});
}

void TestStatusParser::replies() {
    QFETCH(int, model);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    MonitorRig rig{quint8(model)};
    static const QRegularExpression feed(QStringLiteral("^(\\d+):(.*)$"));
    for (const QString& step : steps) {
        const QRegularExpressionMatch m = feed.match(step);
        const QString key = step.section(QLatin1Char('='), 0, 0);
        const QString value = step.section(QLatin1Char('='), 1);
        if (m.hasMatch())
            rig.parse(quint8(m.captured(1).toInt()), m.captured(2));
        else if (step.startsWith(QLatin1Char('@')))
            rig.clock.set(QDate(2001, 2, 15), QTime::fromString(step.mid(1), Qt::ISODateWithMs));
        else if (key == QLatin1String("auxOpen"))
            rig.aux.setWindowVisible(true);
        else if (key == QLatin1String("keyEntry"))
            rig.state.gKeyEntry = value;
        else if (key.startsWith(QLatin1String("aux:")))
            rig.aux.setText(key.mid(4), value);
        else if (key == QLatin1String("Text3"))
            rig.display.setVisible(key, true);
        else
            rig.display.setText(key, value);
    }
    for (const QString& e : expected) {
        const QString key = e.section(QLatin1Char('='), 0, 0);
        QCOMPARE(observe(rig, key), e.section(QLatin1Char('='), 1));
    }
    QCOMPARE(rig.boxes('?'), QString()); // no box is ever left half lit
}

QTEST_GUILESS_MAIN(TestStatusParser)
#include "test_statusparser.moc"
