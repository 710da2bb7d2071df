#include "document/revert_to_file.h"

#include <QCoreApplication>

void RevertToFile(TableDocument& document, const std::vector<FieldRef>& fields) {
  std::vector<FieldValueChange> in_file;
  for (const FieldRef& field : fields) {
    if (IsField(field))
      in_file.push_back(
          {field, FieldValue(document.File().tables, field.table, field.entry, field.column)});
  }
  SetFieldValues(document,
                 QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "возврат значений из файла")),
                 in_file);
}
