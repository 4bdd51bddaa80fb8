// The command line: Qt's own options in every form Qt documents, handed to Qt in the
// one form it reads them all in; a mistake exits 2 with the reason.
#include <QTest>

#include "CommandLine.h"

using zv::CommandLine;

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    // For a run, `result` is what Qt is given; for a mistake, the first line printed.
    void qtOptionsArePassedOn_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("result");
        QTest::newRow("-platform X") << "-platform offscreen" << "-platform offscreen";
        QTest::newRow("--platform X") << "--platform offscreen" << "-platform offscreen";
        QTest::newRow("--platform=X") << "--platform=offscreen" << "-platform offscreen";
        QTest::newRow("-style=X") << "-style=fusion" << "-style fusion";
        QTest::newRow("--style X, a flag, --sing") << "--style fusion --reverse --sing" << "-style fusion -reverse";
        QTest::newRow("no value") << "--sing --platform" << "zorvanta: option '--platform' needs a value";
        QTest::newRow("empty value") << "-style=" << "zorvanta: option '-style=' needs a value";
        QTest::newRow("a flag with a value") << "--reverse=1" << "zorvanta: unknown option '--reverse=1'";
    }
    void qtOptionsArePassedOn() {
        QFETCH(QString, args);
        QFETCH(QString, result);
        std::vector<std::string> argv;
        for (const auto& a : args.split(' ')) argv.push_back(a.toStdString());
        const CommandLine c = CommandLine::parse("zorvanta", argv);
        QStringList qt;
        for (const auto& a : c.qtArguments) qt << QString::fromStdString(a);
        const bool run = c.action == CommandLine::Action::Run;
        QCOMPARE(run ? qt.join(' ') : QString::fromStdString(c.output).section('\n', 0, 0), result);
        QCOMPARE(c.exitCode, run ? 0 : 2);
        QCOMPARE(c.sing, run && args.contains("--sing"));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
