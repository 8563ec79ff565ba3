// The shared report-line labels.
#include "export/report_labels.h"

#include "platform/text_codec.h"

namespace {

// The label written as `kUtf8`, converted to Windows-1251 once, at its first use.
template <const char* kUtf8>
const std::string& Label() {
  static const std::string kLabel = platform::Utf8ToCp1251(kUtf8);
  return kLabel;
}

constexpr char kLostConnection[] = "ОШИБКА СВЯЗИ С СЕРВЕРОМ: ";
constexpr char kSendingFile[] = "Отправляем файл: ";
constexpr char kMissingFile[] = "Файл не найден: ";
constexpr char kResumedFrom[] = "ПРОДОЛЖЕНИЕ ПЕРЕНОСА ПО ЖУРНАЛУ: ";
constexpr char kResumedObject[] = "ПРОДОЛЖАЕМ ОБЪЕКТ ";
constexpr char kObjectsGroup[] = "Стационарные объекты";

}  // namespace

const std::string& LostConnectionLabel() { return Label<kLostConnection>(); }
const std::string& SendingFileLabel() { return Label<kSendingFile>(); }
const std::string& MissingFileLabel() { return Label<kMissingFile>(); }
const std::string& ResumedFromLabel() { return Label<kResumedFrom>(); }
const std::string& ResumedObjectLabel() { return Label<kResumedObject>(); }
const std::string& ObjectsGroupName() { return Label<kObjectsGroup>(); }
