#include "ui/resources/StringTable.h"

#include "ui/Resource.h"

QString LoadResourceString(int id) {
    switch (id) {
        case IDS_ABOUTBOX:
            return QStringLiteral("&About Quorvel...");
        default:
            return {};
    }
}
