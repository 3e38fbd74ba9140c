#include "desktop/command_line.h"

#include <QCommandLineParser>
#include <QUrl>
#include <cstdio>

#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

// QCommandLineParser's own help text is English; the user reads Russian.
QString HelpText(const QString& program) {
  return QStringLiteral(
             "Использование: %1 [параметры] [АДРЕС|ФАЙЛ]\n"
             "Проигрыватель интернет-телевидения и радио.\n"
             "\n"
             "  АДРЕС|ФАЙЛ             адрес потока или файл, который нужно воспроизвести\n"
             "  --update-server АДРЕС  сервер обновлений на этот запуск (настройки не меняются)\n"
             "  --skin ИМЯ             шкурка оформления на этот запуск\n"
             "  --version              показать версию и выйти\n"
             "  --help                 показать эту справку и выйти\n")
      .arg(program);
}

CommandLine Refuse(const QString& text) {
  CommandLine line;
  line.run = false;
  line.exitCode = kUsageExitCode;
  line.output = QStringLiteral("Vantrel: ") + text + QStringLiteral("\nПодробнее: Vantrel --help\n");
  return line;
}

// The server's folder address: http or https with a host; the page names are appended to it,
// so it gets its closing "/".
bool NormaliseServer(QString& address) {
  const QUrl url(address, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
    return false;
  if (!address.endsWith(QLatin1Char('/'))) address += QLatin1Char('/');
  return true;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption server(QStringLiteral("update-server"), {}, QStringLiteral("URL"));
  const QCommandLineOption skin(QStringLiteral("skin"), {}, QStringLiteral("NAME"));
  const QCommandLineOption version(QStringLiteral("version"));
  const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
  parser.addOptions({server, skin, version, help});

  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) return Refuse(QStringLiteral("неизвестный параметр «%1».").arg(unknown.front()));
    return Refuse(QStringLiteral("после параметра не указано значение."));
  }
  CommandLine line;
  if (parser.isSet(help) || parser.isSet(version)) {
    line.run = false;
    const QString program = arguments.isEmpty() ? QStringLiteral("Vantrel") : arguments.front();
    line.output = parser.isSet(help) ? HelpText(program) : ResString(res::IDS_VERSION) + QLatin1Char('\n');
    return line;
  }
  const QStringList positional = parser.positionalArguments();
  if (positional.size() > 1) return Refuse(QStringLiteral("можно указать только один адрес или файл."));
  if (!positional.isEmpty()) line.open = positional.front();
  line.skin = parser.value(skin);
  if (parser.isSet(skin) && line.skin.isEmpty()) return Refuse(QStringLiteral("не указано имя шкурки."));
  if (parser.isSet(server)) {
    line.updateServer = parser.value(server);
    if (!NormaliseServer(line.updateServer))
      return Refuse(QStringLiteral("адрес сервера обновлений должен начинаться с http:// или https://."));
  }
  return line;
}

CommandLine ParseCommandLine(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return ParseCommandLine(arguments);
}

void PrintCommandLineOutput(const CommandLine& line) {
  if (line.output.isEmpty()) return;
  std::FILE* stream = line.exitCode == 0 ? stdout : stderr;
  std::fputs(line.output.toLocal8Bit().constData(), stream);
  std::fflush(stream);
}

}  // namespace vantrel
