#include "app/startup_language.h"
#include "ui/sysconfig.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace startup {

bool loadToolkitChinese(QTranslator& translator)
{
    return translator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath));
}

bool installLanguage(Catalogues& catalogues, const QString& languageFile, int (*dllLanguage)(int))
{
    bool english = false;
    if (catalogues.english.load(QStringLiteral(":/trans/english"))) {
        QCoreApplication::installTranslator(&catalogues.english);
        dllLanguage(1);
        english = true;
    }
    if (sysconfig::selectsChinese(languageFile)) {
        QCoreApplication::removeTranslator(&catalogues.english);
        dllLanguage(0);
        english = false;
    }
    // Without the system file the toolkit's few texts stay English; nothing else depends on it.
    if (!english && loadToolkitChinese(catalogues.toolkit))
        QCoreApplication::installTranslator(&catalogues.toolkit);
    return english;
}

}
