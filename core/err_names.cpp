#include "core/err_names.h"

#include <string>

#include "core/cp1252.h"
#include "core/err_register.h"
#include "core/hooks.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"

namespace eng {

namespace {

// Statuses 122-185 in order; 182 and 184 have no name.
inline constexpr auto kCodeNames = Cp1252(
    "Cancelado por el usuario,Expresion Nula,Aviso Indefinido,Tipo Atipico,Datos incorrectos,"
    "No hay datos,Tipos Incompatibles,Fallo de loop,Disco (I/O),Fichero I/O,"
    "Ejecución de Procedimiento,PRCSTCKERROR,TRANSUPERROR,VARHANDLERROR,de Lectura,"
    "de Escritura,de Apertura,de Red,BADEXPRESION,Interno,FARHEAPINIERR,de Entorno de Pantalla,"
    "INDEXCMDERROR,OUTOFMEMORY,STRINGTOOLONG,SINTAXERROR,FEATUREREMOVED,DIMSTRUCERROR,"
    "BADSTRINGTYPE,BADFILENUMBER,FORMATFAILURE,STRCONCATERR,MEMORYALLOCERR,EXPCALCERROR,"
    "LOADSTRERROR,VARNAMEERROR,BADCOMMANDLINE,STROUTBOUND,MEMTESTERROR,FILEOUTBOUND,SQLERROR,"
    "de Datos,Fichero no encontrado,Fichero Existente,Apertura de Ficheros,CHILDEXECERROR,"
    "DATAOUTBOUND,FILENOTINIT,COMMONCTLERROR,DEVICETIMEOUT,DEVICEIOERROR,SYSTEMCMDERROR,"
    "Chequeo de usuario,Permiso denegado,StructMemError,ScreenStructErr,Memory Leaks,"
    "Windows Control Error,Memory Overflow,Variable ScreenField,,Datos Existentes,,"
    "Soporte Grafico Insuficiente");

inline constexpr const char kModuleNames[] =
    "STRINGINIT,STRINGASSIGN,STRCONCAT,VARNMASSIGN,SQLCONNECT,SQLEXEC,EXEC_COMPILER,"
    "Malloc-MemAcums,ExecRunTime,VarStruct,ExpExec,Sort,BufferFld,DynStrings,StructFuncs,"
    "FormatStrings,Streams,DataFile,LocalLists,Screens,Devices,HtmlScan";

}  // namespace

const char* const kErrCodeNames = kCodeNames.bytes;
const char* const kErrModuleNames = kModuleNames;

StrPair ErrCodeName(Status code) {
  if (code > kStDetailText) {
    StrPair name = StrItem(kCodeNames.pair(), ',', static_cast<uint16_t>(code - 121));
    if (name.ok() && !name.empty()) return name;
  }
  return StrFromC(kErrUndefined);
}

StrPair ErrModuleName(uint16_t module) {
  if (module == 0) return StrPair{};
  return StrItem(StrFromC(kModuleNames), ',', module);
}

StrPair ErrName(int code) {
  if (code == -1) {
    Status recorded = ErrLastCode();
    if (recorded == 0) return ScratchText(kErrUndefined);
    code = recorded;
  }
  if (code < 0 || code > 0xFFFF) return ScratchText(kErrUndefined);
  if (code == 0) return ScratchPair(MsgText("0005"));
  if (code <= 120) return ScratchPair(MsgText("0008"));
  if (code == kStDetailText || code == kStBadData) {
    StrPair incident = ErrIncidentText();
    if (incident.ok() && !incident.empty()) return ScratchPair(incident);
  }
  // The application module may name the statuses itself.
  if (code >= kStDetailText && AppFunctionsGet().error_name)
    return ScratchPair(AppCallErrorName(static_cast<Status>(code)));
  return ScratchPair(ErrCodeName(static_cast<Status>(code)));
}

StrPair ErrText(Status code) {
  ScratchScope scope;
  StrPair name = ErrName(code);
  if (!name.ok()) return StrFail(scope.Release(StrError(name)));
  if (code < kStFirstError) return scope.Keep(name);
  std::string text(MsgText("0009").view());
  text.append(name.view());
  StrPair module = ErrModuleName(ErrLastModule());
  if (module.ok() && !module.empty()) {
    text += '(';
    text.append(module.view());
    text += ')';
  }
  StrPair incident = ErrIncidentText();
  if (incident.ok() && !incident.empty()) {
    text += ": ";
    text.append(incident.view());
  }
  if (text.size() > kMaxText) text.resize(kMaxText);
  return scope.Keep(StrOf(text));
}

}  // namespace eng
