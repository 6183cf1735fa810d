#include "qt/ProgramIcon.h"

#include <QString>

// The icons live in a static library: without a reference from code the linker would drop their
// resource, so it is registered by hand, once.
static void RegisterIconResource() {
    Q_INIT_RESOURCE(icons);
}

namespace morvelin {

QIcon ProgramIcon() {
    static const bool registered = (RegisterIconResource(), true);
    static_cast<void>(registered);
    QIcon icon;
    for (const int size : {48, 32, 24, 16}) {
        icon.addFile(QStringLiteral(":/icons/morvelin-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace morvelin
