# Prints the winpthreads part of Debian's mingw-w64 copyright file (the
# threads library that a static mingw-w64 program carries): its Files
# paragraphs, then the texts of the licences they name.
BEGIN { RS = ""; ORS = "\n\n" }
$1 == "Files:" && /winpthreads\// && !/tests_pthread/ {
  print
  for (i = 1; i < NF; i++) {
    if ($i == "License:" && !($(i + 1) in wanted)) {
      wanted[$(i + 1)] = 1
      order[++count] = $(i + 1)
    }
  }
}
$1 == "License:" { text[$2] = $0 }
END {
  for (i = 1; i <= count; i++) {
    if (order[i] in text) print text[order[i]]
  }
}
