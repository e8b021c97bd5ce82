# Writes the UTF-8 text IN as OUT for Windows: the version filled in, CR LF
# line ends (older Notepads show a bare LF as nothing) and a byte-order mark,
# which every Notepad reads as UTF-8 whatever the system's code page.
#   cmake -DIN=guide.txt -DOUT=guide-for-windows.txt -DPROJECT_VERSION=7.2.0 -P notepad_text.cmake
file(READ "${IN}" text)
string(CONFIGURE "${text}" text @ONLY)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 byte_order_mark)
file(WRITE "${OUT}" "${byte_order_mark}${text}")
