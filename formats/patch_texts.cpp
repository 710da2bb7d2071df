#include "formats/patch_texts.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// The count with "байт" or "байта", as Russian has it after that number.
QString ByteCount(std::size_t count) {
  const std::size_t last = count % 10;
  const std::size_t last_two = count % 100;
  const bool few = last >= 2 && last <= 4 && !(last_two >= 12 && last_two <= 14);
  return few ? QCoreApplication::translate("PatchTexts", "%1 байта").arg(count)
             : QCoreApplication::translate("PatchTexts", "%1 байт").arg(count);
}

}  // namespace

QString PatchRefusalText(PatchRefusal refusal) {
  switch (refusal) {
    case PatchRefusal::kNone:
      return {};
    case PatchRefusal::kUnknownFormat:
      return QCoreApplication::translate("PatchTexts", "это не патч BPS или IPS");
    case PatchRefusal::kCut:
      return QCoreApplication::translate(
          "PatchTexts", "патч обрезан: он кончается раньше, чем описанные в нём изменения");
    case PatchRefusal::kDamaged:
      return QCoreApplication::translate(
          "PatchTexts", "патч повреждён: он устроен не так, как требует его формат");
    case PatchRefusal::kBadPatchChecksum:
      return QCoreApplication::translate("PatchTexts",
                                         "патч повреждён: не сходится его контрольная сумма");
    case PatchRefusal::kWrongSource:
      return QCoreApplication::translate("PatchTexts", "патч сделан для другого файла");
    case PatchRefusal::kBadTargetChecksum:
      return QCoreApplication::translate(
          "PatchTexts",
          "патч не дал того файла, для которого сделан: не сходится контрольная сумма результата");
    case PatchRefusal::kOutOfBounds:
      return QCoreApplication::translate(
          "PatchTexts", "патч повреждён: он читает или пишет за пределами файла или патча");
    case PatchRefusal::kTooLarge:
      return QCoreApplication::translate("PatchTexts", "патч описывает файл больше 256 МиБ");
    case PatchRefusal::kIpsOutOfReach:
      return QCoreApplication::translate(
          "PatchTexts", "IPS не может описать изменения дальше 16 МиБ от начала файла");
  }
  return QCoreApplication::translate("PatchTexts", "неизвестная причина (%1)")
      .arg(static_cast<int>(refusal));
}

QString OutsideChangesText(const OutsideChanges& outside) {
  QStringList parts;
  if (outside.Resizes())
    parts.append(QCoreApplication::translate("PatchTexts", "меняет размер файла с %1 до %2 байт")
                     .arg(outside.size_before)
                     .arg(outside.size_after));
  if (outside.count > 0)
    parts.append(QCoreApplication::translate(
                     "PatchTexts", "меняет %1 вне записей таблиц, первый по смещению 0x%2 (%3)")
                     .arg(ByteCount(outside.count))
                     .arg(outside.first, 6, 16, QLatin1Char('0'))
                     .arg(outside.first));
  return QCoreApplication::translate("PatchTexts", "патч ") +
         parts.join(QCoreApplication::translate("PatchTexts", " и "));
}

QString CutTooShortText(const OutsideChanges& outside) {
  return QCoreApplication::translate(
             "PatchTexts",
             "%1, а записи таблиц кончаются на смещении %2: такой файл уже не открыть")
      .arg(OutsideChangesText(outside))
      .arg(RecordsEnd());
}
