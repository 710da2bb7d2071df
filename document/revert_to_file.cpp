#include "revert_to_file.h"

void RevertToFile(DocumentHistory& history, TableDocument& document,
                  const std::vector<FieldRef>& fields) {
  history.Apply(QStringLiteral("возврат значений из файла"), [&] {
    for (const FieldRef& field : fields) {
      if (IsField(field)) {
        const CellState in_file{
            FieldValue(document.Saved(), field.table, field.entry, field.column), std::nullopt};
        document.Restore(field, in_file);
      }
    }
  });
}
