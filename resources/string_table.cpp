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

constexpr std::array<std::pair<int, std::u16string_view>, 28> kStrings{{
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
    {res::IDS_RECONNECT_IN, u"Связь с каналом потеряна. Переподключение через %1 с…"},
    {res::IDS_RECONNECTING_NOW, u"Связь с каналом потеряна. Переподключение…"},
}};

}  // namespace

std::u16string_view LoadResString(int id) {
  for (const auto& [key, text] : kStrings)
    if (key == id) return text;
  return {};
}

}  // namespace vantrel
