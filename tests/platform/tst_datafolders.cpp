// Where QLV keeps its files for a build-tree, a portable and an installed program folder.
#include <platform/datafolders.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace qlv;

class TestDataFolders : public QObject {
    Q_OBJECT

private slots:
    void folders_data()
    {
        QTest::addColumn<QString>("marker");     // written into the program folder, or none
        QTest::addColumn<QString>("configHome"); // XDG_CONFIG_HOME, relative to the temp dir
        QTest::addColumn<QString>("stateHome");  // XDG_STATE_HOME, likewise
        QTest::addColumn<QString>("config");     // expected; "@bin" for the program folder
        QTest::addColumn<QString>("state");

        QTest::newRow("build tree") << "build-tree"
                                    << ""
                                    << ""
                                    << "@bin"
                                    << "@bin";
        QTest::newRow("portable") << "portable"
                                  << "cfg"
                                  << "st"
                                  << "@bin"
                                  << "@bin";
        QTest::newRow("installed, XDG folders set") << ""
                                                    << "cfg"
                                                    << "st"
                                                    << "cfg/QLV"
                                                    << "st/QLV";
        QTest::newRow("installed, defaults under HOME") << ""
                                                        << ""
                                                        << ""
                                                        << "home/.config/QLV"
                                                        << "home/.local/state/QLV";
        // Relative values of the XDG variables are ignored, as the base directory rules say.
        QTest::newRow("installed, relative XDG values ignored") << ""
                                                                << "!relative"
                                                                << "!relative"
                                                                << "home/.config/QLV"
                                                                << "home/.local/state/QLV";
    }

    void folders()
    {
        QFETCH(QString, marker);
        QFETCH(QString, configHome);
        QFETCH(QString, stateHome);
        QFETCH(QString, config);
        QFETCH(QString, state);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString bin = dir.filePath(QStringLiteral("usr/bin"));
        QVERIFY(QDir().mkpath(bin));
        if (!marker.isEmpty()) {
            QFile file(bin + u'/' + marker);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        auto resolve = [&](const QString& name) {
            if (name == u"@bin")
                return bin;
            return name.startsWith(u'!') ? name.mid(1) : dir.filePath(name);
        };
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        if (!configHome.isEmpty())
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), resolve(configHome));
        if (!stateHome.isEmpty())
            env.insert(QStringLiteral("XDG_STATE_HOME"), resolve(stateHome));

        const DataFolders folders = dataFoldersFor(bin, env);
        QCOMPARE(folders.config, resolve(config));
        QCOMPARE(folders.state, resolve(state));
    }
};

QTEST_GUILESS_MAIN(TestDataFolders)
#include "tst_datafolders.moc"
