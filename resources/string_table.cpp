#include "resources/string_table.h"

#include <array>
#include <utility>

#include "resources/resource.h"

#ifndef VANTREL_UPDATE_SERVER
#error "VANTREL_UPDATE_SERVER must name the update server's base address"
#endif

namespace vantrel {
namespace {

#define VANTREL_U16(x) u##x
#define VANTREL_U16_EXPAND(x) VANTREL_U16(x)

constexpr std::array<std::pair<int, std::u16string_view>, 31> kStrings{{
    {res::IDS_SKIN_SEARCH_ERROR, u"Ошибка при поиске каталога со шкурками."},
    {res::IDS_NO_SKINS, u"Нет доступных шкурок."},
    {res::IDS_ALWAYS_ON_TOP, u"Поверх всех окон"},
    {res::IDS_HIDE_CONTROLS, u"Скрыть элементы управления"},
    {res::IDS_GETTING_CHANNELS, u"Получаем список каналов, пожалуйста подождите..."},
    {res::IDS_CHOOSE_CHANNEL, u"Пожалуйста, выберите канал."},
    {res::IDS_NEW_CHANNELS_LABEL, u"Доступно новых каналов: "},
    {res::IDS_BY_COUNTRIES, u"По странам"},
    {res::IDS_BY_GENRES, u"По жанрам"},
    {res::IDS_UPDATE_SERVER, VANTREL_U16_EXPAND(VANTREL_UPDATE_SERVER)},
    {res::IDS_VERSION, u"Vantrel 2.0.ru"},
    {res::IDS_CONNECTING, u"Подключаемся к каналу, пожалуйста подождите..."},
    {res::IDS_SKINS_ERROR, u"Ошибка при получении новых шкурок оформления."},
    {res::IDS_SERVER_UNREACHABLE,
     u"Ошибка при соединении с главным сервером. Возможно, интернет не доступен."},
    {res::IDS_CHECKING_SKINS, u"Проверяем наличие новых шкурок оформления, пожалуйста подождите..."},
    {res::IDS_CHECKING_PROGRAM, u"Проверяем наличие обновлений программы, пожалуйста подождите..."},
    {res::IDS_SKIN_RESTART,
     u"Скачана новая шкурка оформления. Чтобы ее увидеть, необходимо перезапустить программу. "
     u"Перезапустить программу?"},
    {res::IDS_CHANNELS_ERROR, u"Ошибка при получении новых каналов."},
    {res::IDS_CHANNELS_UPDATED, u"Список каналов обновлен. Скачано новых каналов: "},
    {res::IDS_PROGRAM_ERROR, u"Ошибка при получении обновления программы."},
    {res::IDS_PROGRAM_RESTART,
     u"Скачано обновление программы. Чтобы его увидеть, необходимо перезапустить программу. "
     u"Перезапустить программу?"},
    {res::IDS_BUFFERING, u"Буферизация потока данных..."},
    {res::IDS_READY, u"Готово."},
    {res::IDS_PLAYING, u"Начинаем воспроизведение."},
    {res::IDS_TRANSITIONING, u"Идет передача данных..."},
    {res::IDS_RECORD_UNSUPPORTED, u"Запись канала выбранного типа невозможна."},
    {res::IDS_PROGRAM_SIGNATURE_BAD, u"Обновление программы не прошло проверку подписи и не установлено."},
    {res::IDS_SKIN_SIGNATURE_BAD, u"Новая шкурка оформления не прошла проверку подписи и не установлена."},
    {res::IDS_CHANNELS_SIGNATURE_BAD, u"Новый список каналов не прошел проверку подписи и не установлен."},
    {res::IDS_RECONNECT_IN, u"Связь с каналом потеряна. Переподключение через %1 с…"},
    {res::IDS_RECONNECTING_NOW, u"Связь с каналом потеряна. Переподключение…"},
}};

constexpr std::pair<int, std::u16string_view> kPlaylistStrings[] = {
    {res::IDS_BY_PLAYLISTS, u"По спискам"},
    {res::IDS_SEARCH_HINT, u"Поиск канала"},
    {res::IDS_OPEN_PLAYLIST, u"Открыть список…"},
    {res::IDS_REMOVE_PLAYLIST, u"Удалить список"},
    {res::IDS_CATALOGUE_SOURCE, u"Каталог"},
    {res::IDS_PLAYLIST_ADDRESS, u"Файл или адрес списка каналов:"},
    {res::IDS_PLAYLIST_FILTER, u"Списки каналов (*.m3u *.m3u8 *.pls);;Все файлы (*)"},
    {res::IDS_BROWSE, u"Обзор…"},
    {res::IDS_GROUP_DETAIL, u"Группа: "},
    {res::IDS_ADDRESS_DETAIL, u"Адрес: "},
    {res::IDS_PLAYLIST_ERROR, u"Не удалось открыть список каналов: "},
    {res::IDS_REMOVE_PLAYLIST_QUESTION, u"Удалить список «%1»?"},
    {res::IDS_PLAYLIST_UNREADABLE, u"файл не читается."},
    {res::IDS_PLAYLIST_TOO_LARGE, u"он больше 64 МБ."},
    {res::IDS_PLAYLIST_HTML, u"это веб-страница, а не список каналов."},
    {res::IDS_PLAYLIST_BINARY, u"это двоичные данные, а не список каналов."},
    {res::IDS_PLAYLIST_TOO_MANY, u"в нём больше миллиона записей."},
    {res::IDS_PLAYLIST_HTTP, u"сервер ответил кодом %1."},
    {res::IDS_PLAYLIST_NO_ANSWER, u"сервер не отвечает."},
    {res::IDS_PLAYLIST_BROKE_OFF, u"передача прервалась."},
    {res::IDS_PLAYLIST_NOT_SAVED, u"его копию не удалось сохранить."},
};

constexpr std::pair<int, std::u16string_view> kRecordingStrings[] = {
    {res::IDS_RECORD_CHANNEL, u"Записать…"},
    {res::IDS_RECORD_UNLIMITED, u"Без ограничения"},
    {res::IDS_RECORD_30_MINUTES, u"30 минут"},
    {res::IDS_RECORD_1_HOUR, u"1 час"},
    {res::IDS_RECORD_2_HOURS, u"2 часа"},
    {res::IDS_SHOW_RECORDINGS, u"Записи…"},
    {res::IDS_RECORDINGS_TITLE, u"Записи"},
    {res::IDS_RECORDINGS_CHANNEL, u"Канал"},
    {res::IDS_RECORDINGS_TIME, u"Время"},
    {res::IDS_RECORDINGS_SIZE, u"Размер"},
    {res::IDS_RECORDING_STOP, u"Остановить"},
    {res::IDS_RECORDING_CANCEL, u"Отменить"},
    {res::IDS_RECORDING_STARTS_AT, u"начало в %1"},
    {res::IDS_RECORDING_CONNECTING, u"подключение…"},
    {res::IDS_RECORDING_UNTIL, u"%1 (до %2)"},
    {res::IDS_RECORDING_START_FAILED, u"Не удалось начать запись канала «%1»."},
    {res::IDS_ALREADY_RECORDING, u"Этот канал уже записывается."},
    {res::IDS_SIZE_KB, u"%1 КБ"},
    {res::IDS_SIZE_MB, u"%1 МБ"},
    {res::IDS_CHANNEL_BEING_RECORDED, u"Запись «%1» не начата: этот канал уже записывается."},
};

// The channel check.
constexpr std::pair<int, std::u16string_view> kCheckStrings[] = {
    {res::IDS_CHECK_CHANNELS, u"Проверить каналы"},
    {res::IDS_STOP_CHECK, u"Остановить проверку (%1 из %2)"},
    {res::IDS_CHECK_PROGRESS, u"Проверка каналов: %1 из %2"},
    {res::IDS_CHECK_DONE, u"Проверка каналов завершена: недоступно %1 из %2"},
    {res::IDS_CHECK_STOPPED, u"Проверка каналов остановлена: проверено %1 из %2"},
    {res::IDS_CHANNEL_UNREACHABLE, u"Канал недоступен: %1 (проверено в %2)"},
    {res::IDS_CHECK_REFUSED, u"соединение отклонено"},
    {res::IDS_CHECK_TIMED_OUT, u"сервер не ответил вовремя"},
    {res::IDS_CHECK_NOT_MEDIA, u"по адресу нет потока"},
    {res::IDS_CHECK_HTTP, u"HTTP %1"},
    {res::IDS_CHECK_NOT_RESOLVED, u"имя сервера не найдено"},
    {res::IDS_CHECK_SECURE, u"ошибка защищённого соединения"},
    {res::IDS_CHECK_NO_ANSWER, u"соединение прервалось без ответа"},
};

constexpr std::pair<int, std::u16string_view> kGuideStrings[] = {
    {res::IDS_GUIDE_NOW, u"Сейчас: "},
    {res::IDS_GUIDE_NEXT, u"Далее: "},
    {res::IDS_GUIDE_TITLE, u"Телепрограмма"},
    {res::IDS_GUIDE_OPEN, u"Телепрограмма…"},
    {res::IDS_GUIDE_SOURCES, u"Источники телепрограммы…"},
    {res::IDS_GUIDE_SOURCES_TITLE, u"Источники телепрограммы"},
    {res::IDS_GUIDE_RECORD, u"Записать передачу"},
    {res::IDS_GUIDE_YESTERDAY, u"Вчера, %1"},
    {res::IDS_GUIDE_TODAY, u"Сегодня, %1"},
    {res::IDS_GUIDE_TOMORROW, u"Завтра, %1"},
    {res::IDS_GUIDE_EMPTY_DAY, u"На этот день передач нет."},
    {res::IDS_GUIDE_ADD, u"Добавить"},
    {res::IDS_GUIDE_REMOVE, u"Удалить"},
    {res::IDS_GUIDE_CLOSE, u"Закрыть"},
    {res::IDS_GUIDE_FROM_PLAYLIST, u"из списка «%1»"},
    {res::IDS_GUIDE_SOURCE_HINT, u"Адрес или файл телепрограммы XMLTV"},
    {res::IDS_GUIDE_SOURCE_BAD, u"Это не адрес http(s) и не полный путь к файлу телепрограммы."},
    {res::IDS_GUIDE_STATE_UPDATED, u"обновлена в %1"},
    {res::IDS_GUIDE_STATE_CURRENT, u"не изменилась (проверено в %1)"},
    {res::IDS_GUIDE_STATE_FAILED, u"не получена: %1"},
    {res::IDS_GUIDE_STATE_WAITING, u"ждёт обновления"},
    {res::IDS_GUIDE_REFRESH, u"Обновить"},
    {res::IDS_GUIDE_OWN, u"добавлен вами"},
    {res::IDS_GUIDE_NO_ANSWER, u"сервер не отвечает"},
    {res::IDS_GUIDE_HTTP, u"сервер ответил кодом %1"},
    {res::IDS_GUIDE_BROKE_OFF, u"передача прервалась"},
    {res::IDS_GUIDE_TOO_LARGE, u"файл слишком велик"},
    {res::IDS_GUIDE_UNREADABLE, u"это не телепрограмма XMLTV"},
    {res::IDS_GUIDE_NO_FILE, u"файла нет"},
    {res::IDS_GUIDE_NOT_SAVED, u"её не удалось сохранить"},
    {res::IDS_GUIDE_FILTER, u"Телепрограммы XMLTV (*.xml *.xml.gz *.gz);;Все файлы (*)"},
    {res::IDS_GUIDE_SOURCE_COLUMN, u"Источник"},
    {res::IDS_GUIDE_STATE_COLUMN, u"Состояние"},
    {res::IDS_GUIDE_TIME_COLUMN, u"Время"},
    {res::IDS_GUIDE_PROGRAMME_COLUMN, u"Передача"},
};

}  // namespace

std::u16string_view LoadResString(int id) {
  for (const auto& [key, text] : kStrings)
    if (key == id) return text;
  for (const auto& [key, text] : kPlaylistStrings)
    if (key == id) return text;
  for (const auto& [key, text] : kRecordingStrings)
    if (key == id) return text;
  for (const auto& [key, text] : kCheckStrings)
    if (key == id) return text;
  for (const auto& [key, text] : kGuideStrings)
    if (key == id) return text;
  return {};
}

}  // namespace vantrel
