// The raw signals of a Flipper .ir fixture, read just far enough for the decoder's tests.
#pragma once

#include <irdata/irsignal.h>

#include <QFile>
#include <QMap>
#include <QString>

namespace qlv::test {

// Path of an IR fixture, or empty when the QLV_FIXTURES folder does not hold it.
inline QString irFixture(const QString& name)
{
    const QString path = qEnvironmentVariable("QLV_FIXTURES") + QStringLiteral("/ir/") + name;
    return QFile::exists(path) ? path : QString();
}

// name -> signal; the data list ends with a mark, as Flipper writes it.
inline QMap<QString, IrSignal> flipperRawSignals(const QString& path)
{
    QFile file(path);
    QMap<QString, IrSignal> signals_;
    if (!file.open(QIODevice::ReadOnly))
        return signals_;
    QString name;
    IrSignal signal;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1String("name:")))
            name = line.mid(5).trimmed();
        else if (line.startsWith(QLatin1String("frequency:")))
            signal.frequency = line.mid(10).trimmed().toUInt();
        else if (line.startsWith(QLatin1String("data:"))) {
            signal.intro.clear();
            for (const QString& value : line.mid(5).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                signal.intro.push_back(value.toUInt());
            signals_.insert(name, signal);
        }
    }
    return signals_;
}

} // namespace qlv::test
