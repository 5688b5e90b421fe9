#include "ConfigurationLocation.h"

#include <QFile>
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
