#include "core/engine_messages.h"

#include <set>
#include <string>

#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

TEST(EngineMessages, TextsAreCodePage1252Bytes) {
  struct Case { uint16_t number; std::string want; };
  const Case cases[] = {
      {1, "Error al inicializar la Memoria"},
      {5, "Proceso Completado Satisfactoriamente"},
      {8, std::string("Precauci\xF3n ", 11)},
      {9, "Error "},
      {11, "Ss,Nn"},
      {14, "Solicitud de Informaci\xF3n"},
      {17, "Parametros incorrectos para campo de pantalla%s\r\n (%s)"},
      {19, ",.'0123456789,-D',' NS','  ,NO,SI'"},
      {23, "Clave no encontrada,Fin de fichero,,,Clave incorrecta,Clave Repetida,Datos Cambiados. "
           "Grabaci\xF3n canceleda,Datos Cambiados. Confirmar,Contrase\xF1" "as no coinciden"},
      {25, "\xBF" "Anular Registro(s)?"},
      {33, "Recuerde sus Copias de Seguridad"},
      {35, "Debe efectuar una configuraci\xF3n en la carpeta por defecto.\r\nConsulte la documentaci\xF3n"},
      {38, "Solo disponible en Modo Mantenimiento,Para a\xF1" "adir datos es recomendable usar el mode de "
           "Inserci\xF3n"},
      {39, "\xBF" "Continuar?"},
      {40, "\xBF" "Desea ver Incidencias?"},
      {63, "Ficheros de Plantilla de Impresi\xF3n (%s),%s"},
      {71, "P\xE1ginas de Ayuda"},
      {80, "(Mayor que),(Menor que), (Igual a),(Desde),(Hasta),(Distinto de)"},
      {88, "Selecci\xF3n de Fichero"},
      {89, "Relativa,Secuencial,Delimitada,Listado"},
      {91, "'Servidor:':'A30'::%s,'Base:':'A30'::%s,'Usuario:':'A30'::%s,'Contrase\xF1" "a:':'P30'::%s,"
           "'Recordar (S/N):':'L1'"},
      {95, "'Fichero:':'A255'::'%s','Modo a\xF1" "adir:':'L1'::'1'"},
      {117, "'Enero,Febrero,Marzo,Abril,Mayo,Junio,Julio,Agosto,Septiembre,Octubre,Noviembre,Diciembre',"
            "'[D] de [M] de [Y]'"},
      {121, "Solo se realiz\xF3 la copia del Servidor"},
      {130, "Salir,Imprimir,Grabar"},
      {110, "'Informes','\tCrear Nuevo,[$]','\tInformes,[$]%APNAME%report.ppn'"},
      {120, "'Ayuda','\tAyuda,Help','\tAcerca de,Help About'"},
      {111, "'Transacciones','\tExportaciones','\t\tRelativa,[$]4','\t\tSecuencial,[$]20',"
            "'\t\tDelimitada,[$]52','\t\tListado,[$]16404','\tImportaciones','\t\tRelativa,[$]5',"
            "'\t\tSecuencial,[$]21','\t\tDelimitada,[$]53','\tInternas','\t\tContador,[$]128',"
            "'\t\tActualizacion,[$]1','\t\tActualizacion Relacional,[$]3',"
            "'\t\tDesactualizacion Relacional,[$]11','\t\tAnulacion,[$]8','\tPredefinidas,[$]0'"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(EngineMessageText(c.number)), c.want) << c.number;
}

TEST(EngineMessages, NumbersWithoutAnEntryAreEmpty) {
  const std::set<int> absent = {69, 76, 78, 79, 102, 103, 104, 105, 106, 107, 108, 109,
                                122, 123, 124, 125, 126, 127, 128, 129};
  for (int n = 1; n <= 130; ++n) {
    StrPair t = EngineMessageText(static_cast<uint16_t>(n));
    ASSERT_TRUE(t.ok()) << n;
    EXPECT_EQ(t.empty(), absent.count(n) == 1) << n;
  }
  EXPECT_TRUE(EngineMessageText(0).empty());
  EXPECT_TRUE(EngineMessageText(131).empty());
  EXPECT_TRUE(EngineMessageText(999).empty());
  EXPECT_TRUE(EngineMessageText(1001).empty());
}

TEST(EngineMessages, EachTableHoldsItsOwnRange) {
  EXPECT_EQ(EngineMessageTable(39).substr(0, 5), "0001 ");
  EXPECT_EQ(EngineMessageTable(40).substr(0, 5), "0040 ");
  EXPECT_EQ(EngineMessageTable(89).substr(0, 5), "0089 ");
  EXPECT_TRUE(EngineMessageTable(1000).empty());
}

TEST(MsgTableParse, QuotesHideTabsAndUnnumberedItemsAreUnreachable) {
  static const char kTable[] =
      "0033 Recuerde\tsiguiente linea\t0034 'a\tb',c\t0034 repetida\t"
      "003 corta\t0035 \t12345 x\t0036 final";
  MsgTable t(kTable);
  EXPECT_EQ(S(t.Find(33)), "Recuerde");
  EXPECT_EQ(S(t.Find(34)), "'a\tb',c");
  EXPECT_EQ(S(t.Find(35)), "");
  EXPECT_EQ(S(t.Find(36)), "final");
  EXPECT_EQ(S(t.Find(3)), "");
  EXPECT_EQ(S(t.Find(1234)), "");
  EXPECT_EQ(t.size(), 4u);
  // An unclosed quote runs to the end of the table.
  static const char kOpen[] = "0001 it's\t0002 lost";
  MsgTable open(kOpen);
  EXPECT_EQ(S(open.Find(1)), "it's\t0002 lost");
  EXPECT_EQ(S(open.Find(2)), "");
}

}  // namespace
}  // namespace eng::test
