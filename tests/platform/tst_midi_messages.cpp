// MIDI messages: which messages press a key, and the note each presses.
#include <QTest>

#include <vector>

#include "platform/MidiMessages.h"

using namespace zv::midi;
Q_DECLARE_METATYPE(Transport)

class TestMidiMessages : public QObject {
    Q_OBJECT

private slots:
    void onlyNoteOnsWithVelocityPress_data() {
        QTest::addColumn<std::vector<unsigned char>>("bytes");
        QTest::addColumn<int>("key");
        using B = std::vector<unsigned char>;
        QTest::newRow("note-on C4") << B{0x90, 60, 100} << 60;
        QTest::newRow("note-on C#4") << B{0x90, 61, 1} << 61;
        QTest::newRow("note-on B5, channel 16") << B{0x9F, 83, 127} << 83;
        QTest::newRow("note-on below the piano") << B{0x93, 48, 64} << 48;
        QTest::newRow("note-on, velocity 0") << B{0x90, 60, 0} << -1;
        QTest::newRow("note-off") << B{0x80, 60, 64} << -1;
        QTest::newRow("poly pressure") << B{0xA0, 60, 64} << -1;
        QTest::newRow("control change") << B{0xB0, 7, 100} << -1;
        QTest::newRow("program change") << B{0xC0, 5} << -1;
        QTest::newRow("pitch bend") << B{0xE0, 0, 64} << -1;
        QTest::newRow("clock") << B{0xF8} << -1;
        QTest::newRow("active sensing") << B{0xFE} << -1;
        QTest::newRow("song position") << B{0xF2, 0x10, 0x00} << -1;
        QTest::newRow("SysEx") << B{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7} << -1;
        QTest::newRow("running status data") << B{60, 100} << -1;
        QTest::newRow("running status, three data bytes") << B{60, 100, 62} << -1;
        QTest::newRow("short note-on") << B{0x90, 60} << -1;
        QTest::newRow("empty") << B{} << -1;
        QTest::newRow("note-on with a trailing byte") << B{0x90, 60, 100, 0} << -1;
        QTest::newRow("status byte as the note") << B{0x90, 0x90, 100} << -1;
        QTest::newRow("status byte as the velocity") << B{0x90, 60, 0x80} << -1;
    }
    void onlyNoteOnsWithVelocityPress() {
        QFETCH(std::vector<unsigned char>, bytes);
        QFETCH(int, key);
        QCOMPARE(pressedKey(bytes.data(), bytes.size()), key);
    }

    void sourcesConnected_data() {
        QTest::addColumn<Transport>("transport");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("alsaOpen");
        QTest::addColumn<bool>("connected");
        QTest::newRow("ALSA keyboard") << Transport::Alsa << "USB Keyboard:USB Keyboard MIDI 1 20:0" << false << true;
        QTest::newRow("ALSA through port") << Transport::Alsa << "Midi Through:Midi Through Port-0 14:0" << false << false;
        QTest::newRow("PipeWire's ALSA client") << Transport::Alsa << "PipeWire-System:input 128:0" << false << false;
        QTest::newRow("JACK source") << Transport::Jack << "synth:out" << true << true;
        QTest::newRow("JACK bridge, ALSA open") << Transport::Jack << "system:midi_capture_1" << true << false;
        QTest::newRow("a2j bridge, ALSA open") << Transport::Jack << "a2j:USB Keyboard [20] (capture)" << true << false;
        QTest::newRow("JACK bridge, no ALSA") << Transport::Jack << "system:midi_capture_1" << false << true;
        QTest::newRow("unnamed") << Transport::Jack << "" << false << false;
    }
    void sourcesConnected() {
        QFETCH(Transport, transport);
        QFETCH(QString, name);
        QFETCH(bool, alsaOpen);
        QFETCH(bool, connected);
        QCOMPARE(connectsSource(transport, name.toStdString(), alsaOpen), connected);
    }

    // One look at the listed sources: the vanished forgotten (so the same keyboard
    // plugged in again is connected again at a later look), the new connected.
    void sourceChangesFollowTheList_data() {
        QTest::addColumn<Transport>("transport");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("connected");
        QTest::addColumn<QStringList>("forget");
        QTest::addColumn<QStringList>("connect");
        const QString thru = "Midi Through:Midi Through Port-0 14:0", kbd = "USB Keyboard:USB Keyboard MIDI 1 20:0",
                      other = "Other Keys:Other Keys MIDI 1 24:0";
        using L = QStringList;
        QTest::newRow("first look") << Transport::Alsa << L{thru, kbd, other} << L{} << L{} << L{kbd, other};
        QTest::newRow("nothing new") << Transport::Alsa << L{thru, kbd} << L{kbd} << L{} << L{};
        QTest::newRow("unplugged") << Transport::Alsa << L{thru} << L{kbd} << L{kbd} << L{};
        QTest::newRow("one for another") << Transport::Alsa << L{other} << L{kbd} << L{kbd} << L{other};
        QTest::newRow("JACK: gone, a bridge") << Transport::Jack << L{"system:midi_capture_1"} << L{"synth:out"}
                                              << L{"synth:out"} << L{};
    }
    void sourceChangesFollowTheList() {
        QFETCH(Transport, transport);
        QFETCH(QStringList, present);
        QFETCH(QStringList, connected);
        QFETCH(QStringList, forget);
        QFETCH(QStringList, connect);
        std::vector<std::string> p, c;
        for (const auto& s : present) p.push_back(s.toStdString());
        for (const auto& s : connected) c.push_back(s.toStdString());
        const auto changes = sourceChanges(transport, p, c, true);  // ALSA open: JACK's bridges left out
        const auto joined = [](const std::vector<std::string>& v) {
            QStringList l;
            for (const auto& s : v) l << QString::fromStdString(s);
            return l.join(" | ");
        };
        QCOMPARE(joined(changes.forget), forget.join(" | "));
        QCOMPARE(joined(changes.connect), connect.join(" | "));
    }
};

QTEST_APPLESS_MAIN(TestMidiMessages)
#include "tst_midi_messages.moc"
