# Reads apt sources in deb822 form and prints each stanza of type "deb"
# whose suites include this release (awk -v code=CODENAME) as a "deb-src"
# stanza, unchanged otherwise.
BEGIN { RS = ""; ORS = "\n\n" }
{
  n = split($0, line, "\n"); binary = 0; ours = 0; out = ""
  for (i = 1; i <= n; i++) {
    if (line[i] ~ /^Types:/) {
      if ((" " substr(line[i], 7) " ") ~ /[ \t]deb[ \t]/) binary = 1
      line[i] = "Types: deb-src"
    }
    if (line[i] ~ /^Suites:/ && (" " substr(line[i], 8) " ") ~ ("[ \t]" code "(-[a-z]+)?[ \t]")) ours = 1
    out = out (i > 1 ? "\n" : "") line[i]
  }
  if (binary && ours) print out
}
