#include "CorvaleApp.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::vector<std::string> arguments;
    for (const QString& argument : QCoreApplication::arguments())
        arguments.push_back(QFile::encodeName(argument).toStdString());
    CCorvaleApp corvale;
    if (!corvale.InitInstance(arguments))
        return corvale.m_bEndedAsAsked ? 0 : 1;
    return QApplication::exec();
}
