# Background correction of the accuracy benchmark, as the workflow applies it: each GenePix file
# read by limma with the workflow's flag weights, then normexp with offset 50. Writes the corrected
# R and G of every row (the file's order) to FILE.normexp.tsv beside each file.
#   Rscript accuracy_normexp.R FILE.gpr...
suppressMessages(library(limma))
for (file in commandArgs(TRUE)) {
  RG <- read.maimages(file, source = "genepix", wt.fun = wtflags(weight = 0, cutoff = -50),
                      verbose = FALSE)
  RG <- backgroundCorrect(RG, method = "normexp", offset = 50, verbose = FALSE)
  write.table(data.frame(R = RG$R[, 1], G = RG$G[, 1]), sub("\\.gpr$", ".normexp.tsv", file),
              sep = "\t", quote = FALSE, row.names = FALSE)
}
