#include "core/engine_messages.h"

#include "core/cp1252.h"

namespace eng {

namespace {

// The menu texts 0110, 0111 and 0120 are comma lists of quoted items, each
// item led by as many TABs as its menu level.
inline constexpr auto kEngineTableLow = Cp1252(
    "0001 Error al inicializar la Memoria\t"
    "0002 Error al efectuar la inicializacion\t"
    "0003 Errores de Memoria detectados\t"
    "0004 Fichero no encontrado:%s\t"
    "0005 Proceso Completado Satisfactoriamente\t"
    "0006 Cancelado por el Usuario\t"
    "0007 Datos no Encontrados\t"
    "0008 Precaución \t"
    "0009 Error \t"
    "0010 No definido\t"
    "0011 Ss,Nn\t"
    "0012 Mensaje Informativo\t"
    "0013 Alerta de Mensaje Fatal\t"
    "0014 Solicitud de Información\t"
    "0015 Permiso denegado\t"
    "0016 Proceso en progreso.....\t"
    "0017 Parametros incorrectos para campo de pantalla%s\r\n (%s)\t"
    "0018 Posible perdida de datos. Por favor confirmar\t"
    "0019 ,.'0123456789,-D',' NS','  ,NO,SI'\t"
    "0020 Cancelar\t"
    "0021 Error de conexión SQL\t"
    "0022 Mantenimiento de Ficheros,Captura de Datos\t"
    "0023 Clave no encontrada,Fin de fichero,,,Clave incorrecta,Clave Repetida,Datos Cambiados. Grabación canceleda,Datos Cambiados. Confirmar,Contraseñas no coinciden\t"
    "0024 Modificación de Clave descartada\t"
    "0025 ¿Anular Registro(s)?\t"
    "0026 Visualizar,Insertar,Eliminar,Buscar\t"
    "0027 Datos Cabecera,Tipo de Documento,Busqueda [AvPag/RePag],Edicion [AvPag/RePag],Edicion de lineas,Edicion de resúmen,Datos grabados,Nueva alta,Modificación,Modo Inserción,Modo Mantenimiento,Impresión Desact.,Impresión Activada,Solo Consulta\t"
    "0028 Nuevo,Inic.,Ant.,Sig.,Ult.,Buscar,Grabar,Borrar\t"
    "0029 Cancelar,Buscar,Grabar,Insertar,Anular Lin.,Importar,Anular Doc.,Modo Impr.\t"
    "0030 Cancelar,PgAnt.,PgSig.,Grabar,Insertar,Anular,Importar,Modo\t"
    "0031 Proceso no definido\t"
    "0032 Aun hay ventanas abiertas (%i Pantallas, %i Ventanas)\t"
    "0033 Recuerde sus Copias de Seguridad\t"
    "0034 Selección de Aplicación\t"
    "0035 Debe efectuar una configuración en la carpeta por defecto.\r\nConsulte la documentación\t"
    "0036 %s (Aplicación desconocida)\t"
    "0037 Solo disponible en Busqueda\t"
    "0038 Solo disponible en Modo Mantenimiento,Para añadir datos es recomendable usar el mode de Inserción\t"
    "0039 ¿Continuar?");

inline constexpr auto kEngineTableMid = Cp1252(
    "0040 ¿Desea ver Incidencias?\t"
    "0041 Pagina Html no definida\t"
    "0042 Error en Html Parser/Nav\t"
    "0043 Html environ initialization Error\t"
    "0044 DefParms File Load Error\t"
    "0045 Parsing page Error\t"
    "0046 Control Command Error\t"
    "0047 Form Log failure\t"
    "0048 Query Params Error\t"
    "0049 Escoja Selección\t"
    "0050 Sobreescribir?\t"
    "0051 Confirmación de Transacción\t"
    "0052 No se ha definido ningún modo de Transacción\t"
    "0053 No se ha definido ninguna tabla de Transacción\t"
    "0054 tabla SQL externa no definida\t"
    "0055 Datos de Transacción necesarios\t"
    "0056 'Nombre del Archivo:':'A40'\t"
    "0057 Límites de Transacción\t"
    "0058 Ventana de Importación\t"
    "0059 Eliminando %s en %s,Actualizando %s en %s\t"
    "0060 Todos (%s),%s\t"
    "0061 Ficheros de Estructura (%s),%s\t"
    "0062 Ficheros de Pantalla (%s),%s\t"
    "0063 Ficheros de Plantilla de Impresión (%s),%s\t"
    "0064 Ficheros de Procedimientos (%s),%s\t"
    "0065 Ficheros de Selección de Aplicación (%s),%s\t"
    "0066 Ficheros de Menú (%s),%s\t"
    "0067 Ficheros PDF (%s),%s\t"
    "0068 Ficheros de Texto (%s),%s\t"
    "0070 Ayuda\t"
    "0071 Páginas de Ayuda\t"
    "0072 Pagina de Ayuda no definida\t"
    "0073 Ventana Desconocida %s\t"
    "0074 Variables y Funciones\t"
    "0075 Acerca de\t"
    "0077 AvPag/RePag Disp.\t"
    "0080 (Mayor que),(Menor que), (Igual a),(Desde),(Hasta),(Distinto de)\t"
    "0081 Captura de Limites de Informe\t"
    "0082 Selección de Dispositivo\t"
    "0083 Vel.:,Paridad:,Lineas:,Ancho:,Paso:,Mostrar\t"
    "0084 No se ha seleccionado nada\t"
    "0085 Selección de Tabla\t"
    "0086 Selección de Campos de Limites\t"
    "0087 Actualizacion Relacional\t"
    "0088 Selección de Fichero");

inline constexpr auto kEngineTableHigh = Cp1252(
    "0089 Relativa,Secuencial,Delimitada,Listado\t"
    "0090 Acceso a Datos\t"
    "0091 'Servidor:':'A30'::%s,'Base:':'A30'::%s,'Usuario:':'A30'::%s,'Contraseña:':'P30'::%s,'Recordar (S/N):':'L1'\t"
    "0092 'Servidor:':'A30'::%s,'Base:':'A30','Usuario:':'A30'::'postgres','Contraseña:':'P30'\t"
    "0093 'Servidor:':'A30'::%s,'Usuario:':'A30'::'postgres','Contraseña:':'P30'\t"
    "0094 'Tipo de Actualización Relacional:':'N1'\t"
    "0095 'Fichero:':'A255'::'%s','Modo añadir:':'L1'::'1'\t"
    "0096 Selección de Campos\t"
    "0097 ¿Salvar esta Configuración?\t"
    "0098 Selección de Transacción\t"
    "0099 Expresion de Actualización\t"
    "0100 'Expresion de Actualización:':'A256'\t"
    "0101 Contados %s registros en %s\t"
    "0110 'Informes','\tCrear Nuevo,[$]','\tInformes,[$]%APNAME%report.ppn'\t"
    "0111 'Transacciones','\tExportaciones','\t\tRelativa,[$]4','\t\tSecuencial,[$]20','\t\tDelimitada,[$]52','\t\tListado,[$]16404','\tImportaciones','\t\tRelativa,[$]5','\t\tSecuencial,[$]21','\t\tDelimitada,[$]53','\tInternas','\t\tContador,[$]128','\t\tActualizacion,[$]1','\t\tActualizacion Relacional,[$]3','\t\tDesactualizacion Relacional,[$]11','\t\tAnulacion,[$]8','\tPredefinidas,[$]0'\t"
    "0112 Un Programa Externo ha terminado con un error %s\t"
    "0113 'Titulo del Documento:':'A40','Multilinea:':'L1','Evitar en menu:':'L1'\t"
    "0114 Selection de Informe\t"
    "0115 Ultima sesion interrumpida. Recuperacion de datos\t"
    "0116 'Nueva Aplicacion:':'A20'\t"
    "0117 'Enero,Febrero,Marzo,Abril,Mayo,Junio,Julio,Agosto,Septiembre,Octubre,Noviembre,Diciembre','[D] de [M] de [Y]'\t"
    "0118 'Carpeta Servidor SQL:':'A50'::'%s','Carpeta LAN:':'A50'::'%s'\t"
    "0119 'Reorganizacion,Reorg'\t"
    "0120 'Ayuda','\tAyuda,Help','\tAcerca de,Help About'\t"
    "0121 Solo se realizó la copia del Servidor\t"
    "0130 Salir,Imprimir,Grabar");

// The next TAB outside quotes from `from`, or the end of the text. A quote
// hides everything up to the next same quote; an unclosed one, the rest.
size_t NextSeparator(std::string_view t, size_t from) {
  char quote = 0;
  for (size_t i = from; i < t.size(); ++i) {
    char c = t[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '\t') {
      return i;
    }
  }
  return t.size();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

MsgTable::MsgTable(std::string_view text) : text_(text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t start = pos;
    bool numbered = text.size() - start >= 5 && IsDigit(text[start]) && IsDigit(text[start + 1]) &&
                    IsDigit(text[start + 2]) && IsDigit(text[start + 3]) && text[start + 4] == ' ';
    size_t end = NextSeparator(text, numbered ? start + 5 : start);
    if (numbered) {
      uint16_t number = static_cast<uint16_t>((text[start] - '0') * 1000 + (text[start + 1] - '0') * 100 +
                                              (text[start + 2] - '0') * 10 + (text[start + 3] - '0'));
      entries_.emplace(number, text.substr(start + 5, end - start - 5));
    }
    pos = end + 1;
  }
}

StrPair MsgTable::Find(uint16_t number) const {
  auto it = entries_.find(number);
  if (it == entries_.end()) return StrPair{};
  return StrOf(it->second);
}

std::string_view EngineMessageTable(uint16_t number) {
  if (number < 40) return kEngineTableLow.view();
  if (number < 89) return kEngineTableMid.view();
  if (number <= 999) return kEngineTableHigh.view();
  return {};
}

StrPair EngineMessageText(uint16_t number) {
  // Immutable data parsed on first use; nothing in it changes during a run.
  static const MsgTable low(kEngineTableLow.view());
  static const MsgTable mid(kEngineTableMid.view());
  static const MsgTable high(kEngineTableHigh.view());
  if (number == 0) return StrPair{};
  if (number < 40) return low.Find(number);
  if (number < 89) return mid.Find(number);
  if (number <= 999) return high.Find(number);
  return StrPair{};
}

}  // namespace eng
