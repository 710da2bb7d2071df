#include "document/changes_model.h"

#include <algorithm>
#include <array>

#include "document/caption_language.h"
#include "document/comparison_file.h"

namespace {

// Shown translated, as the change lists' captions are.
const std::array<std::string_view, ChangesModel::kInComparison + 1> kCaptions = {
    QT_TRANSLATE_NOOP("Captions", "Таблица"),
    QT_TRANSLATE_NOOP("Captions", "№"),
    QT_TRANSLATE_NOOP("Captions", "Название"),
    QT_TRANSLATE_NOOP("Captions", "Столбец"),
    QT_TRANSLATE_NOOP("Captions", "В файле"),
    QT_TRANSLATE_NOOP("Captions", "Новое"),
    QT_TRANSLATE_NOOP("Captions", "В файле для сравнения")};

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Shown(const FieldRef& field, std::int32_t value) {
  return Utf8(FieldText(value, FieldOf(field.table, field.column).is_signed));
}

}  // namespace

ChangesModel::ChangesModel(TableDocument* document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
  connect(document_, &TableDocument::cellChanged, this, &ChangesModel::FieldChanged);
  connect(document_, &TableDocument::tablesReset, this, [this] {
    if (following_)
      ListAgain();
  });
  connect(&document_->Comparison(), &ComparisonFile::changed, this, [this] {
    if (!document_->Comparison().IsOpen())
      mode_ = Against::File;
    // Even while not following: the columns go with the mode.
    ListAgain();
  });
  ListAgain();
}

int ChangesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ChangesModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid())
    return 0;
  return mode_ == Against::Comparison ? kInComparison + 1 : kNow + 1;
}

QVariant ChangesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
    return {};
  const FieldRef& field = FieldAt(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return Text(field, index.column());
    case Qt::AccessibleTextRole:
      // A cell read alone says which column it is in.
      return ShownCaption(kCaptions[static_cast<std::size_t>(index.column())]) +
             QStringLiteral(": ") + Text(field, index.column());
    case Qt::AccessibleDescriptionRole: {
      // The whole row, as one sentence.
      QString row = Text(field, kTable) + QStringLiteral(", ") + Text(field, kEntry) +
                    QLatin1Char(' ') + Text(field, kName) + QStringLiteral(", ") +
                    tr("%1: в файле %2, новое %3")
                        .arg(Text(field, kField), Text(field, kInFile), Text(field, kNow));
      if (mode_ == Against::Comparison)
        row += tr(", в файле для сравнения %1").arg(Text(field, kInComparison));
      return row;
    }
    default:
      return {};
  }
}

QVariant ChangesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole)
    return {};
  if (orientation == Qt::Vertical)
    return section + 1;
  if (section < 0 || section >= columnCount())
    return {};
  return ShownCaption(kCaptions[static_cast<std::size_t>(section)]);
}

void ChangesModel::SetMode(Against mode) {
  if (mode == Against::Comparison && !document_->Comparison().IsOpen())
    mode = Against::File;
  if (mode == mode_)
    return;
  mode_ = mode;
  ListAgain();
}

bool ChangesModel::Listed(const FieldRef& field) const {
  if (mode_ == Against::Comparison)
    return document_->Comparison().Differs(field);
  return document_->Mark(field) != CellMark::None;
}

QString ChangesModel::Text(const FieldRef& field, int column) const {
  switch (column) {
    case kTable:
      return ShownCaption(TabCaptions[field.table]);
    case kEntry:
      return QString::number(field.entry + 1);
    case kName:
      return Utf8(EntryNameText(document_->Committed(), field.table, field.entry));
    case kField:
      return ShownCaption(HeaderCaptions[field.table][field.column]);
    case kInFile:
      return Shown(field,
                   FieldValue(document_->File().tables, field.table, field.entry, field.column));
    case kNow:
      if (document_->HasTypedText(field) && document_->Mark(field) == CellMark::NotANumber)
        return tr("не число");
      return Shown(field, document_->ValueAfterCommit(field));
    case kInComparison:
      return document_->Comparison().IsOpen() ? Shown(field, document_->Comparison().Value(field))
                                              : QString();
    default:
      return {};
  }
}

void ChangesModel::Follow(bool following) {
  if (following == following_)
    return;
  following_ = following;
  ListAgain();
}

void ChangesModel::FieldChanged(const FieldRef& field) {
  if (!following_ || !IsField(field))
    return;
  const auto place = std::lower_bound(rows_.begin(), rows_.end(), field);
  const int row = static_cast<int>(place - rows_.begin());
  const bool listed = Listed(field);
  if (place != rows_.end() && *place == field) {
    if (listed) {
      emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    } else {
      beginRemoveRows({}, row, row);
      rows_.erase(place);
      endRemoveRows();
    }
  } else if (listed) {
    beginInsertRows({}, row, row);
    rows_.insert(place, field);
    endInsertRows();
  }
}

void ChangesModel::ListAgain() {
  beginResetModel();
  rows_.clear();
  if (following_ && document_->IsLoaded()) {
    for (TableIndex table = 0; table < kTableCount; ++table) {
      for (int entry = 0; entry < EntryCount(table); ++entry) {
        for (int column = 1; column < ColCounts[table]; ++column) {
          const FieldRef field{table, entry, column};
          if (Listed(field))
            rows_.push_back(field);
        }
      }
    }
  }
  endResetModel();
}

void ChangesModel::Retranslate() {
  emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
  if (rowCount() > 0)
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}
