# Reads every slide's GenePix Results with limma, corrects the backgrounds (normexp, offset 50),
# normalises within arrays (loess) and writes the normalised M and A of every spot and slide, and
# a PDF of M-A plots, one page a slide.
#   Rscript limma_normalize.R NORMALIZED.tsv MA.pdf NAME=FILE.gpr...
suppressMessages(library(limma))
args <- commandArgs(TRUE)
if (length(args) < 3) stop("usage: limma_normalize.R NORMALIZED.tsv MA.pdf NAME=FILE.gpr...")
table_path <- args[1]
pdf_path <- args[2]
pairs <- args[-(1:2)]
names <- sub("=.*", "", pairs)
files <- sub("^[^=]*=", "", pairs)

# limma combines the files row by row: every slide must have the same spots in the same order.
layout_of <- function(file) {
  one <- read.maimages(file, source = "genepix", verbose = FALSE)
  one$genes[, c("Block", "Column", "Row")]
}
first <- layout_of(files[1])
for (i in seq_along(files)[-1]) {
  if (!identical(layout_of(files[i]), first))
    stop("slide ", names[i], ": its spots differ from those of slide ", names[1],
         "; limma needs one layout for all slides", call. = FALSE)
}

# Spots without a well (Flags -75), marked and saturated spots (-100) weigh nothing in the loess
# curve; they are still normalised and written.
RG <- read.maimages(files, source = "genepix", names = names,
                    wt.fun = wtflags(weight = 0, cutoff = -50), verbose = FALSE)
RG <- backgroundCorrect(RG, method = "normexp", offset = 50, verbose = FALSE)
MA <- normalizeWithinArrays(RG, method = "loess")

out <- data.frame(Block = RG$genes$Block, Column = RG$genes$Column, Row = RG$genes$Row,
                  ID = ifelse(is.na(RG$genes$ID), "NA", as.character(RG$genes$ID)),
                  check.names = FALSE, stringsAsFactors = FALSE)
for (i in seq_along(names)) {
  out[[paste("M", names[i])]] <- sprintf("%.6g", MA$M[, i])
  out[[paste("A", names[i])]] <- sprintf("%.6g", MA$A[, i])
}
tmp <- paste0(table_path, ".part")
write.table(out, tmp, sep = "\t", quote = FALSE, row.names = FALSE)
invisible(file.rename(tmp, table_path))

pdf(paste0(pdf_path, ".part"), width = 7, height = 6)
for (i in seq_along(names)) {
  plotMA(MA, array = i, main = paste("Slide", names[i], "(loess-normalised)"))
  abline(h = 0, col = "grey")
}
invisible(dev.off())
invisible(file.rename(paste0(pdf_path, ".part"), pdf_path))
cat("normalised", nrow(out), "spots on", length(names), "slide(s)\n")
