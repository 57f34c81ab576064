#pragma once
// The user's folders of a benchmark that runs the program: settings, the single-instance lock
// and recovery journals all in a folder of its own, never the user's.
#include <QFile>
#include <QTemporaryDir>

inline void useFoldersIn(const QTemporaryDir &env)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(env.path()));
    qputenv("XDG_STATE_HOME", QFile::encodeName(env.filePath(QStringLiteral("state"))));
}
