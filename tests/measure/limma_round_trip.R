# Reads GenePix Results files with limma as downstream analyses do and checks that limma sees our
# values: R, G, Rb, Gb of both readings, the flags' weights, the annotation and the column names.
# Single-channel files (no 532 columns) are read with green.only and must equal the 635 columns of
# the first two-channel file.
#   Rscript limma_round_trip.R EXAMPLE.gpr OURS.gpr...
if (!suppressMessages(requireNamespace("limma", quietly = TRUE))) {
  cat("limma is not installed (scripts/install-deps installs r-bioc-limma)\n")
  quit(status = 77)
}
suppressMessages(library(limma))
args <- commandArgs(TRUE)
example <- args[1]
ours <- args[-1]
failures <- 0
check <- function(ok, what) {
  if (!isTRUE(ok)) {
    cat("FAIL:", what, "\n")
    failures <<- failures + 1
  }
}

# The data table as a plain reader sees it, without limma.
plainTable <- function(file) {
  counts <- scan(file, skip = 1, nlines = 1, what = "", sep = "\t", quiet = TRUE)
  read.delim(file, skip = as.integer(counts[1]) + 2, check.names = FALSE, quote = "\"",
             stringsAsFactors = FALSE, na.strings = character(0))
}

exampleColumns <- names(plainTable(example))[1:56]
check(length(exampleColumns) == 56 && exampleColumns[56] == "Autoflag", "example columns")

single <- sapply(ours, function(f) !("F532 Median" %in% names(plainTable(f))))
for (file in ours[single]) {
  cat("reading", file, "(single channel)\n")
  table <- plainTable(file)
  full <- plainTable(ours[!single][1])
  check(identical(names(table), grep("532", exampleColumns, invert = TRUE, value = TRUE)),
        "single-channel columns: the example's without 532")
  check(identical(table, full[names(table)]), "single-channel values: the two-channel file's 635")
  one <- read.maimages(file, source = "genepix", columns = list(G = "F635 Median", Gb = "B635 Median"),
                       green.only = TRUE, verbose = FALSE)
  check(all(one$E[, 1] == table[["F635 Median"]]) && all(one$Eb[, 1] == table[["B635 Median"]]),
        "E = F635 Median, Eb = B635 Median (green.only)")
  check(all(one$genes$Block == table[["Block"]]), "single-channel Block")
}
for (file in c(example, ours[!single])) {
  cat("reading", file, "\n")
  table <- plainTable(file)
  if (file != example) {
    check(identical(names(table), exampleColumns),
          paste("column names of", file, ":", paste(setdiff(names(table), exampleColumns), collapse = ", ")))
  }
  means <- read.maimages(file, source = "genepix", wt.fun = wtflags(weight = 0.1, cutoff = -50), verbose = FALSE)
  medians <- read.maimages(file, source = "genepix.median", verbose = FALSE)
  n <- nrow(table)
  check(nrow(means$R) == n && nrow(medians$R) == n, paste("spot count", nrow(means$R), "of", n))
  check(all(means$R[, 1] == table[["F635 Mean"]]), "R = F635 Mean")
  check(all(means$G[, 1] == table[["F532 Mean"]]), "G = F532 Mean")
  check(all(means$Rb[, 1] == table[["B635 Median"]]), "Rb = B635 Median")
  check(all(means$Gb[, 1] == table[["B532 Median"]]), "Gb = B532 Median")
  check(all(medians$R[, 1] == table[["F635 Median"]]), "R = F635 Median (genepix.median)")
  check(all(medians$G[, 1] == table[["F532 Median"]]), "G = F532 Median (genepix.median)")
  check(all(medians$Rb[, 1] == table[["B635"]]), "Rb = B635 (genepix.median)")
  check(all(medians$Gb[, 1] == table[["B532"]]), "Gb = B532 (genepix.median)")
  check(all(means$weights[, 1] == ifelse(table[["Flags"]] < -50, 0.1, 1)), "wtflags weights")
  # limma reads the text NA (a UID the slide map leaves empty) as a missing value.
  text <- function(x) ifelse(is.na(x), "NA", as.character(x))
  check(all(text(means$genes$ID) == table[["ID"]]) && all(text(means$genes$Name) == table[["Name"]]),
        "ID and Name")
  check(all(means$genes$Block == table[["Block"]]), "Block")
  if (file != example) {
    check(any(table[["Flags"]] < -50) && any(table[["Flags"]] == 0), "both flagged and measured spots")
    check(all(means$R[, 1] > 0), "every spot measured")
  }
}
if (failures > 0) quit(status = 1)
cat("limma reads", length(ours), "exported file(s) as GenePix results\n")
