# The product as its packages, version resources and installer name it. The
# version itself is the one of project() in the top-level CMakeLists.txt.
set(SORVAN_PRODUCT_NAME "Tavrel文件加密")
set(SORVAN_PUBLISHER "塔维尔")
set(SORVAN_PUBLISHER_LATIN "Tavrel")
set(SORVAN_COPYRIGHT_YEAR 2026)
# The maker's address in the Debian package and its changelog.
set(SORVAN_MAINTAINER "${SORVAN_PUBLISHER_LATIN} <support@tavrel.example>")
set(SORVAN_COPYRIGHT "© ${SORVAN_COPYRIGHT_YEAR} ${SORVAN_PUBLISHER}")
