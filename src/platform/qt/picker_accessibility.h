// A picker (a drop-down list) as screen readers on Linux need it: Qt's own combo box object
// gives its value only as its name, which a reader does not take for the value, so the reader
// says the label and no value. This one also offers its value as read-only text.
#pragma once

#include <QAccessibleInterface>
#include <QObject>
#include <QString>

namespace brellix::platform::qt {

// The accessibility factory for pickers; null for any other object.
QAccessibleInterface* PickerAccessibleFor(const QString& className, QObject* object);

}  // namespace brellix::platform::qt
