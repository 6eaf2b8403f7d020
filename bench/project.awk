# Writes `lines` lines of XML-like register description text, each exactly 79 characters and a
# line feed, the way a device project file reads: several '<' on most lines, no processor tag.
# With plain=1 the same words come without any '<', '>' or '/'.
#   awk -v lines=13107 [-v plain=1] -f bench/project.awk
function pad(s) {
  while (length(s) < 79) {
    s = s " "
  }
  return substr(s, 1, 79)
}

BEGIN {
  for (i = 0; i < lines; i++) {
    n = i % 9
    r = int(i / 9)
    if (n == 0) {
      s = sprintf("    <register><name>CTRL_%05d</name><offset>0x%04X</offset>", r, (r * 4) % 65536)
    } else if (n == 1) {
      s = sprintf("      <description>Control register %d of block %d</description>", r, r % 64)
    } else if (n == 2) {
      s = sprintf("      <size>32</size><access>read-write</access><reset>0x%04X%04X</reset>",
                  (r * 40503) % 65536, (r * 2731) % 65536)
    } else if (n == 3) {
      s = "      <fields>"
    } else if (n == 4) {
      s = sprintf("        <field><name>EN%d</name><lsb>%d</lsb><width>1</width></field>", r % 10, r % 32)
    } else if (n == 5) {
      s = sprintf("        <field><name>MODE</name><lsb>%d</lsb><width>3</width></field>", (r + 1) % 29)
    } else if (n == 6) {
      s = "      </fields>"
    } else if (n == 7) {
      s = sprintf("      <!-- checksum %04x%04x, generated for the launcher benchmark -->",
                  (r * 7919) % 65536, (r * 104729) % 65536)
    } else {
      s = "    </register>"
    }
    if (plain) {
      gsub(/[<>\/]/, " ", s)
    }
    printf "%s\n", pad(s)
  }
}
