01 00101<1>Facturacion de albaranes
01 00302Desde la fecha
01 10322000108D
01 00402Hasta la fecha
01 10422000208D
01 00602Primera factura
01 10622000304N
01 00702Desde el albaran
01 10722000406N
01 00802Hasta el albaran
01 10822000506N
01 00902Confirmar (1/0)
01 10922000601N
