#include "ui/resources/MainIcon.h"

QIcon LoadMainIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/quorvel-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/quorvel-16.png"), QSize(16, 16));
    return icon;
}
