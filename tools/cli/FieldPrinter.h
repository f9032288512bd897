#pragma once
// Every setting of a record by its name, decoded as the window shows it: depths as whole
// numbers (the stored value / 128), times as hours and minutes, choices by the captions of
// their radio items. A choice that no item shows reads "none (CODE)".

#include "device/DEVICE_DATA.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <vector>

struct Field {
    QString key;    // the JSON key
    QString label;  // the text form's label
    QJsonValue value;
};

std::vector<Field> FieldsOf(const DEVICE_DATA& record);

// One "Label: value" line each, in the order of FieldsOf; switches read "on" or "off".
QString FieldsAsText(const std::vector<Field>& fields);
// One JSON object of key: value.
QByteArray FieldsAsJson(const std::vector<Field>& fields);
