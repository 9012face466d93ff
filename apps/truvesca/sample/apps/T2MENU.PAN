00 02202F10: menú    Esc: salir
