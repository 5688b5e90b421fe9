#include "ConfigurationLocation.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

std::string ConfigurationFilePath()
{
#ifdef _WIN32
    return "c:\\corvale\\corvale.conf";
#else
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QFile::encodeName(dir + QStringLiteral("/corvale/corvale.conf")).toStdString();
#endif
}

std::string ConfigurationFileToRead()
{
    const std::string userPath = ConfigurationFilePath();
#ifndef _WIN32
    if (!QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(userPath))))
    {
        const QString systemPath = QStandardPaths::locate(QStandardPaths::GenericConfigLocation,
                                                          QStringLiteral("corvale/corvale.conf"));
        if (!systemPath.isEmpty())
            return QFile::encodeName(systemPath).toStdString();
    }
#endif
    return userPath;
}
