# Checks that R's read.csv, with no options, reads a batch's results.csv:
# one record per item, numbers as numbers, texts as texts.
# Usage: Rscript results_check.R RESULTS_CSV
args <- commandArgs(trailingOnly = TRUE)
results <- read.csv(args[1])
stopifnot(nrow(results) == 5)
stopifnot(identical(results$status, c("completed", "failed", "refused", "completed", "stopped")))
stopifnot(identical(results$data_name, c("Done", "Lost", "Bad'Name", "Past", "Far")))
stopifnot(is.numeric(results$stouffer_p), is.numeric(results$stouffer_z),
          is.numeric(results$cvar_p), is.numeric(results$eggs))
stopifnot(is.na(results$stouffer_p[2]), !is.na(results$stouffer_p[1]))
stopifnot(abs(results$stouffer_p[1] -
              pchisq(results$stouffer_chisq[1], results$stouffer_df[1], lower.tail = FALSE)) <
          1e-12 * results$stouffer_p[1])
stopifnot(grepl("extends past the end of data", results$interval_message[4]))
cat("R read", nrow(results), "records\n")
