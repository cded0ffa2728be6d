#include "window/appresources.h"

#include <QtCore/qglobal.h>

void loadAppResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(kestrova);
        return true;
    }();
    Q_UNUSED(loaded);
}
