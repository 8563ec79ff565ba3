// The shared report-line labels.
#include "export/report_labels.h"

#include "platform/text_codec.h"

const std::string& LostConnectionLabel() {
  static const std::string kLabel = platform::Utf8ToCp1251("ОШИБКА СВЯЗИ С СЕРВЕРОМ: ");
  return kLabel;
}

const std::string& SendingFileLabel() {
  static const std::string kLabel = platform::Utf8ToCp1251("Отправляем файл: ");
  return kLabel;
}

const std::string& MissingFileLabel() {
  static const std::string kLabel = platform::Utf8ToCp1251("Файл не найден: ");
  return kLabel;
}

const std::string& ResumedFromLabel() {
  static const std::string kLabel = platform::Utf8ToCp1251("ПРОДОЛЖЕНИЕ ПЕРЕНОСА ПО ЖУРНАЛУ: ");
  return kLabel;
}

const std::string& ResumedObjectLabel() {
  static const std::string kLabel = platform::Utf8ToCp1251("ПРОДОЛЖАЕМ ОБЪЕКТ ");
  return kLabel;
}

const std::string& ObjectsGroupName() {
  static const std::string kName = platform::Utf8ToCp1251("Стационарные объекты");
  return kName;
}
